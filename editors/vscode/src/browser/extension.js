'use strict';
// The extension in VS Code for the Web: the desktop's own, bundled with
// ./storyClient in place of ../storyClient (see build.js).
module.exports = require('../extension');
