'use strict';
// What the extension asks of Node's path module, for the browser's bundle:
// the last part of a URI's path, which always uses "/".
function basename(p) {
  return p.slice(p.lastIndexOf('/') + 1);
}

module.exports = { basename };
