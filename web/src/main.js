// Velnori in the browser: the page's parts put together.
import { LspClient } from './lspClient';
import { startServer, storyBytes } from './vlnModule';
import { StoryEditor, URI } from './editor';
import { ProblemsList } from './problems';
import { MapPanel, PlayPanel } from './views';
import { fileKind, encodeStory, characterAt } from './storyFile';
import { storyLink, storyFromFragment, SAFE_LINK_LENGTH } from './share';
import { Reader, PAGE_NAME } from './read';

const byId = (id) => document.getElementById(id);

function say(text) {
  byId('status').textContent = text;
}

function download(name, bytes) {
  const link = document.createElement('a');
  link.href = URL.createObjectURL(new Blob([bytes], { type: 'application/octet-stream' }));
  link.download = name;
  document.body.appendChild(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(link.href), 60000);
}

async function main() {
  const started = performance.now();
  document.title = PAGE_NAME;
  const client = new LspClient(startServer());
  // Compiled beside the server's start, and wanted only once a file is.
  const bytesModule = storyBytes();
  if (location.hash === '#read') {
    await client.initialize();
    new Reader(client, bytesModule);
    return;
  }

  let kind = { name: 'story.vln', encoding: 'shift-jis', mark: false };
  let map = null;
  let play = null;
  const problems = new ProblemsList(byId('problems'), byId('codes'), (position) => editor.moveTo(position));
  const editor = new StoryEditor(byId('editor'), client, {
    diagnosed(diagnostics, changedAt) {
      problems.show(diagnostics);
      if (changedAt !== undefined) byId('editor').dataset.diagnosedMs = (performance.now() - changedAt).toFixed(1);
      byId('editor').dataset.diagnosedAt = String(performance.now() - started);
      // The views start once the story can be edited: each is a process of
      // its own, which a page opened to write in need not wait for.
      if (!map) {
        map = new MapPanel(byId('map'), client, editor, URI);
        play = new PlayPanel(byId('play'), client, editor, URI);
        map.cursorMoved(editor.cursorLine());
      }
      map.refresh();
      play.run();
    },
    cursorMoved(line) {
      if (map) map.cursorMoved(line);
    },
    say,
  });
  await editor.start();

  function load(text, newKind) {
    kind = newKind;
    byId('file-name').textContent = `${kind.name} (${kind.encoding})`;
    editor.load(text);
    if (play) play.restart(undefined);
    editor.view.focus();
  }

  const shared = storyFromFragment(location.hash);
  if (shared) load(shared.text, { name: 'story.vln', encoding: shared.encoding, mark: false });
  else load(VELNORI_EXAMPLE, { name: 'story.vln', encoding: 'shift-jis', mark: false });

  // Nothing the author typed goes without their word.
  const mayLeave = () => !editor.unsaved || confirm('The story has changes that are not saved. Leave them?');
  window.addEventListener('beforeunload', (event) => {
    if (editor.unsaved) event.preventDefault();
  });

  byId('new').addEventListener('click', () => mayLeave() && load(VELNORI_EXAMPLE, { name: 'story.vln', encoding: 'shift-jis', mark: false }));
  byId('open').addEventListener('change', async () => {
    const file = byId('open').files[0];
    if (!file || !mayLeave()) return;
    const bytes = new Uint8Array(await file.arrayBuffer());
    byId('open').value = '';
    const { text, encoding } = (await bytesModule).decode(bytes);
    try {
      load(text, fileKind(file.name, bytes, encoding));
    } catch (error) {
      say(`${file.name} was not opened: ${error.message}`);
    }
  });

  async function save(asKind) {
    const text = editor.text();
    const result = encodeStory(text, asKind, await bytesModule);
    if (result.missing !== undefined) {
      const line = text.slice(0, result.missing).split(/\r\n?/).length;
      const character = characterAt(text, result.missing);
      byId('cannot-save-text').textContent =
        `Shift-JIS has no code for “${character}” (U+${character.codePointAt(0).toString(16).toUpperCase().padStart(4, '0')}, line ${line}). `
        + 'Nothing was saved. Save the story as UTF-8 instead? The reader reads both.';
      byId('cannot-save').showModal();
      return;
    }
    kind = asKind;
    editor.unsaved = false;
    byId('file-name').textContent = `${kind.name} (${kind.encoding})`;
    download(kind.name, result.bytes);
    say(`Saved ${kind.name} as ${kind.encoding}, ${result.bytes.length} bytes.`);
  }
  byId('save').addEventListener('click', () => save(kind));
  byId('save-utf8').addEventListener('click', () => {
    byId('cannot-save').close();
    save({ name: kind.name, encoding: 'utf-8', mark: false });
  });
  byId('save-cancel').addEventListener('click', () => byId('cannot-save').close());

  byId('copy-link').addEventListener('click', async () => {
    const link = storyLink(location.href.replace(/#.*$/, ''), editor.text(), kind.encoding);
    byId('link').value = link;
    byId('link').hidden = false;
    const long = link.length > SAFE_LINK_LENGTH;
    let copied = false;
    try {
      await navigator.clipboard.writeText(link);
      copied = true;
    } catch {
      byId('link').select();
    }
    say(`${copied ? 'Link copied' : 'Copy the link from the box'}: ${link.length} characters.`
      + (long ? ` Links longer than ${SAFE_LINK_LENGTH} characters may be cut off by some browsers; save the file instead.` : ''));
    byId('status').classList.toggle('warning', long);
  });

  byId('play-start').addEventListener('click', () => play && play.restart(undefined));
  byId('play-here').addEventListener('click', () => play && play.restart(editor.cursorLine()));
  byId('read').addEventListener('click', () => {
    if (!mayLeave()) return;
    editor.unsaved = false;
    location.hash = '#read';
    location.reload();
  });
  window.addEventListener('hashchange', () => location.reload());
}

main().catch((error) => say(`Velnori could not start: ${error.message || error}`));
