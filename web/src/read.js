// Read mode: the page becomes the reader, shown where the reader has always
// shown a story, in a title bar, here the tab's. Every key is replayed from
// the start by the reader's own handlers (velnori/play), each Open dialog
// answered by the story the file picker gave then; the page itself shows
// nothing.
export const PAGE_NAME = 'Velnori in the browser';

const READ_URI = 'file:///reading.vln';

// Keys as the reader knows them; every other key does nothing there either.
const KEYS = {
  ArrowDown: 'down', Space: 'space',
  Digit1: '1', Digit2: '2', Digit3: '3', Digit4: '4', Digit5: '5',
  Numpad1: 'kp1', Numpad2: 'kp2', Numpad3: 'kp3', Numpad4: 'kp4', Numpad5: 'kp5',
};

// The extensions of an Open dialog's filter, "Name(*.vln)|*.vln", for the
// file picker's accept.
function acceptOf(filter) {
  const patterns = filter.split('|').filter((_, i) => i % 2 === 1).join(';');
  return patterns.split(';').map((p) => p.trim().replace(/^\*/, '')).filter((p) => p.startsWith('.')).join(',');
}

export class Reader {
  constructor(client, storyBytes) {
    this.client = client;
    this.storyBytes = storyBytes;
    this.events = [];
    // Each story the picker gave, by the name its Open dialog answers.
    this.stories = {};
    this.version = 1;
    this.hidden = false;
    this.busy = Promise.resolve();
    document.body.innerHTML = '';
    document.body.className = 'reading';
    this.picker = document.createElement('input');
    this.picker.type = 'file';
    this.picker.hidden = true;
    document.body.appendChild(this.picker);
    client.notify('textDocument/didOpen', { textDocument: { uri: READ_URI, languageId: 'vln', version: this.version, text: '' } });
    document.addEventListener('keydown', (event) => {
      // The reader's File > Open, which a page without a menu bar takes
      // from the browser's own key for opening a file.
      const name = event.ctrlKey && event.code === 'KeyO' ? 'open' : KEYS[event.code];
      if (!name || this.hidden) return;
      event.preventDefault();
      // A minimized window takes no keys: hide before anything else runs.
      if (name === 'space') this.hide();
      this.busy = this.busy.then(() => this.key(name));
    });
    document.addEventListener('mousedown', () => {
      if (this.hidden) this.busy = this.busy.then(() => this.restore());
    });
    this.busy = this.busy.then(() => this.show());
  }

  hide() {
    this.hidden = true;
    document.title = PAGE_NAME;
  }

  // The window shown again: Space did nothing but minimize it, so the
  // reading goes on as if it had never been pressed.
  async restore() {
    this.events = this.events.filter((e) => e !== 'space');
    this.hidden = false;
    await this.show();
  }

  async replay() {
    const result = await this.client.request('velnori/play', {
      textDocument: { uri: READ_URI }, events: this.events, open: false, stories: this.stories,
    });
    return result.steps[result.steps.length - 1];
  }

  async key(name) {
    this.events.push(name);
    let step = await this.replay();
    // A step's dialog is one its own event brought up.
    if (step.dialog) step = await this.open(step);
    this.showStep(step);
  }

  async show() {
    this.showStep(await this.replay());
  }

  showStep(step) {
    if (step.minimized) {
      this.hide();
      return;
    }
    document.title = step.caption;
    if (step.message) alert(`${step.message_title}\n\n${step.message}`);
  }

  // The reader's Open dialog, as the browser's file picker: the story
  // chosen is the text every replay opens; none chosen cancels the dialog.
  async open(step) {
    this.picker.accept = acceptOf(step.dialog.filter);
    const file = await new Promise((resolve) => {
      const done = () => resolve(this.picker.files[0] || null);
      this.picker.addEventListener('change', done, { once: true });
      this.picker.addEventListener('cancel', done, { once: true });
      this.picker.value = '';
      this.picker.click();
    });
    if (file === null) {
      this.events.splice(this.events.length - 1, 0, 'cancel');
    } else {
      const { text } = (await this.storyBytes).decode(new Uint8Array(await file.arrayBuffer()));
      const name = `story${Object.keys(this.stories).length + 1}`;
      this.stories[name] = text;
      this.events.splice(this.events.length - 1, 0, `file:${name}`);
    }
    return this.replay();
  }
}
