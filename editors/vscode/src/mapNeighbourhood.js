'use strict';
// A map of more than a thousand passages takes dot longer to lay out than an
// author waits between keystrokes. Then the view shows the passage around the
// cursor with the passages one arrow away, cut out of the same DOT text: vln
// writes one statement per line, nodes as `ID [...]` and edges `A -> B [...]`.

const EDGE = /^\s*("?[\w.:-]+"?)\s*->\s*("?[\w.:-]+"?)\s*[[;]/;
const NODE = /^\s*("?[\w.:-]+"?)\s*\[/;
const unquote = (id) => id.replace(/^"|"$/g, '');

function parseEdges(dot) {
  const edges = [];
  for (const line of dot.split('\n')) {
    const m = EDGE.exec(line);
    if (m) edges.push([unquote(m[1]), unquote(m[2])]);
  }
  return edges;
}

// The DOT of `center` and its neighbours (both directions); the header lines
// (graph, node and edge defaults) and the closing brace are kept as they are.
function neighbourhoodDot(dot, center) {
  const keep = new Set([center]);
  for (const [from, to] of parseEdges(dot)) {
    if (from === center) keep.add(to);
    if (to === center) keep.add(from);
  }
  const out = [];
  for (const line of dot.split('\n')) {
    const edge = EDGE.exec(line);
    if (edge) {
      if (keep.has(unquote(edge[1])) && keep.has(unquote(edge[2]))) out.push(line);
      continue;
    }
    const node = NODE.exec(line);
    if (node && !/^\s*(graph|node|edge)\s*\[/.test(line)) {
      if (keep.has(unquote(node[1]))) out.push(line);
      continue;
    }
    out.push(line);
  }
  return { dot: out.join('\n'), shown: keep };
}

// The passage whose range holds the 0-based editor line, or null.
function passageAtLine(passages, line) {
  for (const p of passages) {
    if (p.range.start.line <= line && line <= p.range.end.line) return p;
  }
  return null;
}

module.exports = { parseEdges, neighbourhoodDot, passageAtLine };
