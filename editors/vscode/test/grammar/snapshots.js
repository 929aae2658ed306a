'use strict';
// Snapshot tests of the grammar over every story the project tests with: the
// sample stories, the stories of the vln golden tests, and every story of
// the check tests' tables. The stories are decoded as VS Code shows them
// (Shift-JIS ones as Shift-JIS) into a scratch folder beside the committed
// snapshots, and vscode-tmgrammar-snap compares the two.
//   node test/grammar/snapshots.js            compare
//   node test/grammar/snapshots.js --update   write the snapshots anew
const fs = require('fs');
const os = require('os');
const path = require('path');
const { execFileSync } = require('child_process');

const extension = path.resolve(__dirname, '..', '..');
const root = path.resolve(extension, '..', '..');
const snapshots = path.join(__dirname, 'snapshots');
const update = process.argv.includes('--update');

function decodeStory(bytes) {
  if (bytes[0] === 0xef && bytes[1] === 0xbb && bytes[2] === 0xbf) return new TextDecoder('utf-8').decode(bytes.subarray(3));
  if (bytes[0] === 0xff && bytes[1] === 0xfe) return new TextDecoder('utf-16le').decode(bytes.subarray(2));
  if (bytes[0] === 0xfe && bytes[1] === 0xff) return new TextDecoder('utf-16be').decode(bytes.subarray(2));
  try {
    return new TextDecoder('utf-8', { fatal: true }).decode(bytes);
  } catch {
    return new TextDecoder('shift_jis').decode(bytes);
  }
}

// The stories of the check tests' tables: rows of {"reason", {u"line", ...}}.
function checkTableStories(source) {
  const stories = [];
  const row = /\{"((?:[^"\\]|\\.)*)",\s*\{((?:\s*u"(?:[^"\\]|\\.)*",?)+)\s*\}/g;
  const line = /u"((?:[^"\\]|\\.)*)"/g;
  for (const m of source.matchAll(row)) {
    const lines = [...m[2].matchAll(line)].map((l) => JSON.parse(`"${l[1]}"`));
    stories.push({ reason: m[1], text: lines.join('\n') + '\n' });
  }
  return stories;
}

function slug(text) {
  const words = { '::': ' command ', '>>': ' jump ', '??': ' choice ' };
  return text
    .replace(/::|>>|\?\?/g, (m) => words[m])
    .toLowerCase()
    .replace(/[^a-z0-9]+/g, '-')
    .replace(/^-|-$/g, '')
    .slice(0, 60);
}

function stories() {
  const found = [];
  for (const folder of ['examples', 'tests/vln']) {
    for (const name of fs.readdirSync(path.join(root, folder)).filter((n) => n.endsWith('.vln')).sort()) {
      const text = decodeStory(fs.readFileSync(path.join(root, folder, name)));
      found.push({ name: `${slug(folder)}--${name}`, text });
    }
  }
  const table = checkTableStories(fs.readFileSync(path.join(root, 'tests', 'VlnCheckTest.cpp'), 'utf8'));
  if (table.length < 10) throw new Error(`only ${table.length} stories found in the check tests' tables`);
  for (const story of table) found.push({ name: `check--${slug(story.reason)}.vln`, text: story.text });
  const names = new Set(found.map((s) => s.name));
  if (names.size !== found.length) throw new Error('two stories would share one snapshot');
  return found;
}

function main() {
  const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'vln-grammar-'));
  const all = stories();
  const missing = [];
  for (const story of all) {
    // Lines as VS Code splits them: at CR, LF and CR LF alike.
    fs.writeFileSync(path.join(scratch, story.name), story.text.split(/\r\n|\r|\n/).join('\n'));
    const snap = path.join(snapshots, `${story.name}.snap`);
    if (fs.existsSync(snap)) fs.copyFileSync(snap, path.join(scratch, `${story.name}.snap`));
    else missing.push(story.name);
  }
  if (missing.length && !update) {
    console.error(`No snapshot for ${missing.join(', ')}: run node test/grammar/snapshots.js --update and look at them`);
    process.exit(1);
  }
  const tool = path.join(extension, 'node_modules', '.bin', 'vscode-tmgrammar-snap');
  try {
    execFileSync(tool, [...(update ? ['-u'] : []), path.join(scratch, '*.vln')], { cwd: extension, stdio: 'inherit' });
  } catch {
    process.exit(1);
  } finally {
    if (update) {
      fs.rmSync(snapshots, { recursive: true, force: true });
      fs.mkdirSync(snapshots);
      for (const story of all) {
        fs.copyFileSync(path.join(scratch, `${story.name}.snap`), path.join(snapshots, `${story.name}.snap`));
      }
    }
    fs.rmSync(scratch, { recursive: true, force: true });
  }
  console.log(`grammar snapshots: ${all.length} stories`);
}

main();
