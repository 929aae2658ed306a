// The story map webview: lays out the DOT it is sent with Graphviz compiled
// to WebAssembly, and keeps the author's zoom and scroll across redraws.
import { Graphviz } from '@hpcc-js/wasm-graphviz';

const vscode = acquireVsCodeApi();
const saved = vscode.getState();
const state = Object.assign({ zoom: 1, left: 0, top: 0 }, saved || {});
// A view opened afresh shows the whole map; one the author zoomed keeps that.
let fitNext = !saved;

document.body.innerHTML = `
<div class="toolbar">
  <button id="zoom-out" title="Zoom out">−</button>
  <span id="zoom-level"></span>
  <button id="zoom-in" title="Zoom in">+</button>
  <button id="zoom-reset" title="Actual size">1:1</button>
  <button id="zoom-fit" title="The whole map">Fit</button>
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

function zoomBy(factor) {
  const before = state.zoom;
  state.zoom = Math.min(4, Math.max(0.1, state.zoom * factor));
  const ratio = state.zoom / before;
  const cx = canvas.scrollLeft + canvas.clientWidth / 2;
  const cy = canvas.scrollTop + canvas.clientHeight / 2;
  applyZoom();
  canvas.scrollLeft = cx * ratio - canvas.clientWidth / 2;
  canvas.scrollTop = cy * ratio - canvas.clientHeight / 2;
  state.left = canvas.scrollLeft;
  state.top = canvas.scrollTop;
  saveState();
}

document.getElementById('zoom-in').addEventListener('click', () => zoomBy(1.25));
document.getElementById('zoom-out').addEventListener('click', () => zoomBy(0.8));
document.getElementById('zoom-reset').addEventListener('click', () => zoomBy(1 / state.zoom));
document.getElementById('zoom-fit').addEventListener('click', () => fit());

// The zoom at which the whole drawing fits the view (points are 4/3 pixels).
function fit() {
  if (!natural) return;
  const scale = Math.min(canvas.clientWidth / (natural.width * 4 / 3), canvas.clientHeight / (natural.height * 4 / 3));
  zoomBy(Math.min(4, Math.max(0.1, scale)) / state.zoom);
}
canvas.addEventListener('wheel', (event) => {
  if (!event.ctrlKey) return;
  event.preventDefault();
  zoomBy(event.deltaY < 0 ? 1.1 : 1 / 1.1);
}, { passive: false });
canvas.addEventListener('scroll', () => {
  state.left = canvas.scrollLeft;
  state.top = canvas.scrollTop;
  saveState();
});

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
  current = message.current;
  markCurrent();
  applyZoom();
  canvas.scrollLeft = left;
  canvas.scrollTop = top;
  if (fitNext) {
    fitNext = false;
    fit();
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
    current = message.current;
    markCurrent();
  } else if (message.type === 'error') {
    status.textContent = message.message;
  }
});

applyZoom();
vscode.postMessage({ type: 'ready' });
