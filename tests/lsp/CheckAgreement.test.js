'use strict';
// `vln check` and the server read a story the same way: on every sample and
// mistake story, the same findings on the same lines (as an editor counts
// them) with the same severity and words.

const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { LspServer, sourceDir, vlnOutput } = require('./LspServer');
const T = require('./StoryText');

const stories = ['examples', 'tests/vln']
  .flatMap((dir) => fs.readdirSync(path.join(sourceDir, dir)).filter((f) => f.endsWith('.vln')).map((f) => `${dir}/${f}`))
  .sort();

let server;
before(async () => { server = await LspServer.start(); });
after(async () => { await server.stop(); });

test('there are stories to compare', () => assert.ok(stories.length >= 8, stories.join(' ')));

for (const file of stories) {
  test(file, async () => {
    const full = path.join(sourceDir, file);
    const printed = vlnOutput(['check', file]);
    const fromCheck = printed.split(/\r?\n/).filter(Boolean).map((l) => {
      const [, line, severity, message] = /^.*?:(\d+): (error|warning): (.*)$/.exec(l.slice(file.length));
      return `${line} ${severity} ${message}`;
    }).sort();
    const text = T.readStoryFile(full);
    const diagnostics = await server.open(`file:///agree/${encodeURIComponent(file)}`, text);
    const fromServer = diagnostics.map((d) => {
      return `${d.range.start.line + 1} ${d.severity === 1 ? 'error' : 'warning'} ${d.message}`;
    }).sort();
    assert.deepEqual(fromServer, fromCheck);
  });
}
