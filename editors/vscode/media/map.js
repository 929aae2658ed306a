// The story map webview: lays out the DOT it is sent with Graphviz compiled
// to WebAssembly, and keeps the author's zoom and scroll across redraws.
import { Graphviz } from '@hpcc-js/wasm-graphviz';

const vscode = acquireVsCodeApi();
// `placed`: the view has been placed once (fitted, or at the start), after
// which the author's zoom and scroll are kept.
const state = Object.assign({ zoom: 1, left: 0, top: 0, placed: false }, vscode.getState() || {});

document.body.innerHTML = `
<div class="toolbar">
  <button id="zoom-out" title="Zoom out">−</button>
  <span id="zoom-level"></span>
  <button id="zoom-in" title="Zoom in">+</button>
  <button id="zoom-reset" title="Actual size">1:1</button>
  <button id="zoom-fit" title="The whole map in the pane">Fit</button>
  <span id="status"></span>
</div>
<div id="canvas" tabindex="0"></div>`;
const canvas = document.getElementById('canvas');
const status = document.getElementById('status');

const graphviz = Graphviz.load();
let natural = null; // the drawing's own size in points
let current = null;
let latest = null; // only the newest map is drawn when several come at once
let drawing = false;

// dot's exact placement is worth its time on a small map only. On a middle
// one, dropping the second crossing-cutting pass and shortening the first
// halve the time; on a big one, a rough search of everything and straight
// arrows are enough to find one's way, and keep a redraw within a second or
// two for a thousand passages.
function laidOutQuickly(dot, passages) {
  let attributes = '';
  if (passages > 100) {
    attributes = 'nslimit=0.01, nslimit1=0.01, mclimit=0.01, searchsize=5, remincross=false, splines=line';
  } else if (passages > 30) {
    attributes = 'mclimit=0.3, remincross=false';
  }
  return attributes ? dot.replace('{', `{\n  graph [${attributes}];`) : dot;
}

// Graphviz in WebAssembly has no fonts: it guesses text widths from Latin
// letters, and Japanese comes out at half its width, spilling out of the
// boxes. The browser measures each label with the font it will draw in, and
// each box is asked to be at least that wide.
const measure = document.createElement('canvas').getContext('2d');
const NODE_LINE = /^(\s*"?[\w.:-]+"?\s*\[)(.*\blabel="((?:[^"\\]|\\.)*)".*)$/;

function unescapeLabel(label) {
  return label.replace(/\\(.)/g, (_, c) => (c === 'n' || c === 'l' || c === 'r' ? '\n' : c));
}

function widenedForText(dot) {
  const defaults = /\bnode\s*\[([^\]]*)\]/.exec(dot);
  const size = defaults && /fontsize=([\d.]+)/.exec(defaults[1]);
  const font = defaults && /fontname="([^"]*)"/.exec(defaults[1]);
  const fontSize = size ? parseFloat(size[1]) : 14;
  measure.font = `${fontSize}px "${font ? font[1] : 'Times'}", sans-serif`;
  // Left and right margins of a rounded box, in points, as dot leaves them.
  const margins = 0.11 * 72 * 2 + 6;
  return dot
    .split('\n')
    .map((line) => {
      const m = NODE_LINE.exec(line);
      if (!m || /^\s*(graph|node|edge)\s*\[/.test(line)) return line;
      const widest = Math.max(...unescapeLabel(m[3]).split('\n').map((t) => measure.measureText(t).width));
      return `${m[1]}width=${((widest + margins) / 72).toFixed(3)}, ${m[2]}`;
    })
    .join('\n');
}

function saveState() {
  vscode.setState(state);
}

function applyZoom() {
  document.getElementById('zoom-level').textContent = `${Math.round(state.zoom * 100)}%`;
  const svg = canvas.querySelector('svg');
  if (!svg || !natural) return;
  svg.setAttribute('width', `${natural.width * state.zoom}pt`);
  svg.setAttribute('height', `${natural.height * state.zoom}pt`);
}

// Below this the passages' text cannot be read.
const READABLE_ZOOM = 0.45;
const PX_PER_PT = 4 / 3;

// The zoom at which the whole drawing fits the pane (at most actual size).
function fitZoom() {
  if (!natural) return 1;
  const across = canvas.clientWidth / (natural.width * PX_PER_PT);
  const down = canvas.clientHeight / (natural.height * PX_PER_PT);
  return Math.min(1, across, down);
}

function rememberScroll() {
  state.left = canvas.scrollLeft;
  state.top = canvas.scrollTop;
  saveState();
}

function fit() {
  state.zoom = fitZoom();
  applyZoom();
  canvas.scrollLeft = 0;
  canvas.scrollTop = 0;
  rememberScroll();
}

// Scrolls the passage into the middle of the pane unless it is in view.
function keepInView(id) {
  const node = id && canvas.querySelector(`g.node[data-id="${id}"]`);
  if (!node) return;
  const box = node.getBoundingClientRect();
  const pane = canvas.getBoundingClientRect();
  if (box.left >= pane.left && box.right <= pane.right && box.top >= pane.top && box.bottom <= pane.bottom) return;
  canvas.scrollLeft += box.left + box.width / 2 - (pane.left + pane.width / 2);
  canvas.scrollTop += box.top + box.height / 2 - (pane.top + pane.height / 2);
  rememberScroll();
}

// The first drawing: the whole map when its text can still be read there,
// else actual size at the passage at the cursor (or the first one).
function place(message) {
  state.placed = true;
  const zoom = fitZoom();
  if (zoom >= READABLE_ZOOM) {
    fit();
    return;
  }
  state.zoom = 1;
  applyZoom();
  const first = canvas.querySelector('g.node.passage-link');
  keepInView(message.current || (first && first.dataset.id));
}

function zoomBy(factor) {
  const before = state.zoom;
  state.zoom = Math.min(4, Math.max(Math.min(0.1, fitZoom()), state.zoom * factor));
  const ratio = state.zoom / before;
  const cx = canvas.scrollLeft + canvas.clientWidth / 2;
  const cy = canvas.scrollTop + canvas.clientHeight / 2;
  applyZoom();
  canvas.scrollLeft = cx * ratio - canvas.clientWidth / 2;
  canvas.scrollTop = cy * ratio - canvas.clientHeight / 2;
  rememberScroll();
}

document.getElementById('zoom-in').addEventListener('click', () => zoomBy(1.25));
document.getElementById('zoom-out').addEventListener('click', () => zoomBy(0.8));
document.getElementById('zoom-reset').addEventListener('click', () => zoomBy(1 / state.zoom));
document.getElementById('zoom-fit').addEventListener('click', fit);
canvas.addEventListener('wheel', (event) => {
  if (!event.ctrlKey) return;
  event.preventDefault();
  zoomBy(event.deltaY < 0 ? 1.1 : 1 / 1.1);
}, { passive: false });
canvas.addEventListener('scroll', rememberScroll);

function markCurrent() {
  for (const node of canvas.querySelectorAll('g.node')) {
    node.classList.toggle('current', node.dataset.id === current);
  }
}

function nodeId(node) {
  const title = node.querySelector('title');
  return title ? title.textContent : '';
}

async function draw(message) {
  const gv = await graphviz;
  const started = performance.now();
  const dot = laidOutQuickly(widenedForText(message.dot), message.passages);
  let svgText;
  try {
    svgText = gv.layout(dot, 'svg', 'dot');
  } catch (error) {
    status.textContent = `The map could not be drawn: ${error.message || error}`;
    vscode.postMessage({ type: 'rendered', ok: false });
    return;
  }
  // Where the author is now (scroll events come late), or where they were
  // when the view was last closed.
  const shownBefore = canvas.querySelector('svg') !== null;
  const left = shownBefore ? canvas.scrollLeft : state.left;
  const top = shownBefore ? canvas.scrollTop : state.top;
  canvas.innerHTML = svgText;
  // Which text this drawing is of, for whoever watches the view.
  canvas.dataset.version = message.version === undefined ? '' : String(message.version);
  const svg = canvas.querySelector('svg');
  natural = {
    width: parseFloat(svg.getAttribute('width')),
    height: parseFloat(svg.getAttribute('height')),
  };
  for (const node of svg.querySelectorAll('g.node')) {
    node.dataset.id = nodeId(node);
    if (/^L\d+$/.test(node.dataset.id)) {
      node.classList.add('passage-link');
      const line = (message.lines || {})[node.dataset.id];
      node.addEventListener('click', () => vscode.postMessage({ type: 'reveal', id: node.dataset.id, line }));
    }
  }
  const moved = message.current !== current;
  current = message.current;
  markCurrent();
  if (!state.placed) {
    place(message);
  } else {
    applyZoom();
    canvas.scrollLeft = left;
    canvas.scrollTop = top;
    if (moved) keepInView(current);
  }
  const count = `${message.passages} passage${message.passages === 1 ? '' : 's'}`;
  status.textContent = message.neighbourhood
    ? `${count}: showing the passage at the cursor and its neighbours`
    : count;
  vscode.postMessage({ type: 'rendered', ok: true, ms: performance.now() - started });
}

async function drawLatest() {
  if (drawing) return;
  drawing = true;
  while (latest) {
    const message = latest;
    latest = null;
    await draw(message);
  }
  drawing = false;
}

window.addEventListener('message', (event) => {
  const message = event.data;
  if (message.type === 'map') {
    latest = message;
    drawLatest();
  } else if (message.type === 'cursor') {
    const moved = message.current !== current;
    current = message.current;
    markCurrent();
    if (moved) keepInView(current);
  } else if (message.type === 'error') {
    status.textContent = message.message;
  }
});

applyZoom();
vscode.postMessage({ type: 'ready' });
