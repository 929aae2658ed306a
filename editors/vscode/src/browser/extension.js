'use strict';
// The extension in VS Code for the Web: the desktop's own, bundled with
// ./serverClient in place of ../serverClient (see build.js).
module.exports = require('../extension');
