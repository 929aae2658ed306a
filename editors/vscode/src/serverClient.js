'use strict';
const fs = require('fs');
const vscode = require('vscode');
const { LanguageClient, State } = require('vscode-languageclient/node');
const { chooseServer } = require('./serverChoice');
const { announce } = require('./serverAnnounce');

// The client of the server chooseServer picks, over its standard input and
// output.
function serverClient(context, clientOptions) {
  const choice = chooseServer({
    extensionPath: context.extensionPath,
    platform: process.platform,
    configuredPath: vscode.workspace.getConfiguration('velnori').get('vlnPath'),
    execPath: process.execPath,
    env: process.env,
    exists: fs.existsSync,
  });
  const client = new LanguageClient('velnori', 'Velnori', choice.server, clientOptions);
  announce(client, choice.says, State.Running);
  return client;
}

module.exports = { serverClient };
