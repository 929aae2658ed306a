'use strict';
// The code-server release the end-to-end test runs, chosen by the Node that
// runs it: each release runs on one major Node only, and each is pinned by
// the lockfile in its own folder here.
const path = require('path');

const RELEASES = { 18: 'node18', 20: 'node20' };

function codeServerFolder(nodeVersion = process.versions.node) {
  const major = Number(nodeVersion.split('.')[0]);
  const folder = RELEASES[major];
  return folder ? path.join(__dirname, folder) : null;
}

function noRelease(nodeVersion = process.versions.node) {
  return `code-server for the extension's test runs on Node 18 (Debian 12's own nodejs) or Node 20; ` +
    `this node is v${nodeVersion}. Install one of them (on Debian 12: apt-get install nodejs npm) ` +
    `and put it first on PATH, then run make vscode-test again.`;
}

if (require.main === module) {
  const folder = codeServerFolder();
  if (!folder) {
    console.error(`install-code-server: ${noRelease()}`);
    process.exit(1);
  }
  console.log(folder);
}

module.exports = { codeServerFolder, noRelease };
