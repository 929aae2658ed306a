'use strict';
const path = require('path');

// The vln that runs the language server: the setting when it names one, else
// the program inside the extension for the platform it was packaged for.
// No transport is given to the client, so it starts exactly `vln lsp`.
function serverCommand(extensionPath, platform, configuredPath) {
  const configured = (configuredPath || '').trim();
  const command = configured
    ? configured
    : platform === 'win32'
      ? path.win32.join(extensionPath, 'bin', 'vln.exe')
      : path.posix.join(extensionPath, 'bin', 'vln');
  return { command, args: ['lsp'] };
}

module.exports = { serverCommand };
