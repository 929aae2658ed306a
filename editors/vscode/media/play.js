// The play view: the reader's strip (title bar and a sliver of menu bar)
// with the same keys, and beside it what the title bar cannot show.
const vscode = acquireVsCodeApi();

document.body.innerHTML = `
<div class="strip" id="strip" tabindex="0" title="Down, 1–5 and Space work as in the reader">
  <div class="titlebar"><span class="icon"></span><span class="caption" id="caption"></span><span class="buttons"><i>_</i><i>□</i><i>×</i></span></div>
  <div class="menubar"></div>
</div>
<div class="keys">
  <button data-event="down" title="Down arrow">↓</button>
  <button data-event="1">1</button><button data-event="2">2</button><button data-event="3">3</button><button data-event="4">4</button><button data-event="5">5</button>
  <button data-event="space" title="Space minimizes the reader">Space</button>
  <button id="restart" title="Back to the start">Restart</button>
</div>
<table class="state">
  <tr><th>Flags</th><td id="flags"></td></tr>
  <tr><th>Choice</th><td id="choice"></td></tr>
  <tr><th>Line</th><td id="line"></td></tr>
  <tr><th>Reader</th><td id="reader"></td></tr>
</table>
<div id="message" class="message" hidden></div>`;

const strip = document.getElementById('strip');
const byId = (id) => document.getElementById(id);

// Keys as the reader knows them; every other key does nothing there either.
const KEYS = {
  ArrowDown: 'down', Space: 'space',
  Digit1: '1', Digit2: '2', Digit3: '3', Digit4: '4', Digit5: '5',
  Numpad1: 'kp1', Numpad2: 'kp2', Numpad3: 'kp3', Numpad4: 'kp4', Numpad5: 'kp5',
};

function send(event) {
  vscode.postMessage({ type: 'key', event });
}

document.addEventListener('keydown', (event) => {
  const name = KEYS[event.code];
  if (!name || event.target.tagName === 'BUTTON' && event.code === 'Space') return;
  event.preventDefault();
  send(name);
});
for (const button of document.querySelectorAll('button[data-event]')) {
  button.addEventListener('click', () => { send(button.dataset.event); strip.focus(); });
}
byId('restart').addEventListener('click', () => { vscode.postMessage({ type: 'restart' }); strip.focus(); });

// Items of the pending choice as keys 1–5 pick them, commas only.
function choiceItems(list) {
  return list.split(',').slice(0, 5);
}

function show(step) {
  byId('caption').textContent = step.caption;
  strip.classList.toggle('minimized', step.minimized);
  byId('flags').innerHTML = '';
  'ABCDE'.split('').forEach((letter, i) => {
    const flag = document.createElement('span');
    flag.className = step.flags[i] === -1 ? 'flag on' : 'flag';
    flag.textContent = letter;
    flag.title = `Flag ${letter} ${step.flags[i] === -1 ? 'on' : 'off'}`;
    byId('flags').appendChild(flag);
  });
  const choice = byId('choice');
  choice.innerHTML = '';
  if (step.choice === '') {
    choice.textContent = '—';
  } else {
    choiceItems(step.choice).forEach((item, i) => {
      const row = document.createElement('div');
      row.className = item === '' ? 'item empty' : 'item';
      // The item as written: a space before a label is the very mistake the
      // checker reports, so spaces keep their width and are shaded.
      const text = document.createElement('span');
      text.className = 'text';
      text.textContent = item === '' ? '(empty: no key picks it)' : item;
      row.append(`${i + 1}  `, text);
      choice.appendChild(row);
    });
  }
  byId('line').textContent = step.line === null || step.line === undefined ? '—' : `${step.line + 1}`;
  const reader = [];
  if (step.length === 0) reader.push('no story');
  else if (step.pos <= 0) reader.push('stopped');
  else reader.push(`reading at ${step.pos}`);
  if (step.minimized) reader.push('minimized');
  byId('reader').textContent = reader.join(', ');
  const message = byId('message');
  message.hidden = step.message === null || step.message === undefined;
  // The box's title too: the author sees all the reader's box says.
  message.textContent = step.message ? `Message box "${step.message_title}": ${step.message}` : '';
}

window.addEventListener('message', (event) => {
  const message = event.data;
  if (message.type === 'step') {
    show(message.step);
  } else if (message.type === 'error') {
    const box = byId('message');
    box.hidden = false;
    box.textContent = message.message;
  }
});

// A view of its own takes the keys at once. A frame beside an editor, as in
// the browser page, leaves them where the author is typing.
if (!window.velnoriBesideEditor) strip.focus();
vscode.postMessage({ type: 'ready' });
