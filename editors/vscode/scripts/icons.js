'use strict';
// The extension's icons, made from the reader's own (window/qt/velnori.svg):
// dist/velnori.svg for .vln files, and dist/icon.png, 128 pixels square,
// for the extension, drawn by chromium since a package's icon must be PNG.
const fs = require('fs');
const path = require('path');
const { chromium } = require('playwright-core');

const extension = path.resolve(__dirname, '..');
const svg = fs.readFileSync(path.resolve(extension, '..', '..', 'window', 'qt', 'velnori.svg'), 'utf8');

async function main() {
  fs.mkdirSync(path.join(extension, 'dist'), { recursive: true });
  fs.writeFileSync(path.join(extension, 'dist', 'velnori.svg'), svg);
  const browser = await chromium.launch({ executablePath: process.env.CHROMIUM || '/usr/bin/chromium' });
  try {
    const page = await browser.newPage({ viewport: { width: 128, height: 128 } });
    const data = `data:image/svg+xml;base64,${Buffer.from(svg).toString('base64')}`;
    await page.setContent(`<body style="margin:0"><img src="${data}" width="128" height="128"></body>`);
    await page.waitForFunction(() => document.querySelector('img').complete);
    await page.screenshot({ path: path.join(extension, 'dist', 'icon.png'), omitBackground: true });
  } finally {
    await browser.close();
  }
}

main().catch((error) => {
  console.error(`icons: ${error.message || error}`);
  process.exit(1);
});
