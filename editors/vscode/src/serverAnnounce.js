'use strict';

// The Velnori output channel names the server that runs, and how long it
// took from here, just before the client starts it, to its answer to
// initialize (the client's state `running`, from whichever client it is).
function announce(client, says, running) {
  const began = Date.now();
  client.outputChannel.appendLine(`Velnori: language server ${says}`);
  const listening = client.onDidChangeState(({ newState }) => {
    if (newState !== running) return;
    client.outputChannel.appendLine(`Velnori: initialize answered ${Date.now() - began} ms after the server was started`);
    listening.dispose();
  });
}

module.exports = { announce };
