'use strict';
const vscode = require('vscode');
const path = require('path');
const { readerEncoding, decodeStory, firstUnwritable } = require('./storyEncoding');

const sameText = (a, b) => a.replace(/\r\n?/g, '\n') === b.replace(/\r\n?/g, '\n');
const NAMES = { shiftjis: 'Shift JIS', utf8: 'UTF-8', utf8bom: 'UTF-8 with BOM', utf16le: 'UTF-16 LE', utf16be: 'UTF-16 BE' };

// Keeps a story in the encoding the reader reads it in: VS Code's own guess
// is reopened in the reader's encoding, and a character that Shift JIS
// cannot hold is caught as it is typed, before a save writes "?" for it.
class EncodingCheck {
  constructor() {
    this.held = new Map(); // uri -> the encoding the story is held in
    this.asking = new Map(); // uri -> the question being asked
  }

  async opened(document) {
    if (document.languageId !== 'vln' || document.uri.scheme !== 'file' || document.isDirty) return;
    let bytes;
    try {
      bytes = await vscode.workspace.fs.readFile(document.uri);
    } catch {
      return;
    }
    const encoding = readerEncoding(bytes);
    const wanted = decodeStory(bytes, encoding);
    let shown = document;
    if (!sameText(shown.getText(), wanted) && 'encoding' in shown) {
      try {
        shown = await vscode.workspace.openTextDocument(document.uri, { encoding });
      } catch {
        // edited meanwhile: it stays as it was opened, and is told below
      }
    }
    const key = document.uri.toString();
    if (sameText(shown.getText(), wanted)) {
      this.held.set(key, encoding);
      return;
    }
    this.held.delete(key);
    vscode.window.showWarningMessage(
      `${path.basename(document.uri.path)} opened in another encoding than the reader reads it in (${NAMES[encoding]}). ` +
      `Use "Reopen with Encoding" and choose ${NAMES[encoding]} before editing.`);
  }

  closed(document) {
    this.held.delete(document.uri.toString());
  }

  heldIn(document) {
    return document.encoding || this.held.get(document.uri.toString());
  }

  changed(event) {
    const document = event.document;
    if (document.languageId !== 'vln' || this.heldIn(document) !== 'shiftjis') return;
    if (!event.contentChanges.some((c) => firstUnwritable(c.text))) return;
    this.ask(document);
  }

  // A save of a story with such a character waits for the author's answer.
  willSave(event) {
    const pending = this.asking.get(event.document.uri.toString());
    if (pending) event.waitUntil(pending.then(() => []));
  }

  ask(document) {
    const key = document.uri.toString();
    if (this.asking.has(key)) return this.asking.get(key);
    const found = firstUnwritable(document.getText());
    if (!found) return Promise.resolve();
    const message = `${path.basename(document.uri.path)}, line ${found.line}: "${found.character}" cannot be written in Shift JIS, ` +
      'the encoding of this story; saving it would write "?" in its place. Save the story as UTF-8 (the reader reads that too), or go back?';
    const question = vscode.window.showWarningMessage(message, { modal: true }, 'Save as UTF-8', 'Go Back')
      .then((answer) => (answer === 'Save as UTF-8' ? this.saveAsUtf8(document) : this.goBack(document)))
      .finally(() => this.asking.delete(key));
    this.asking.set(key, question);
    return question;
  }

  async goBack(document) {
    await vscode.window.showTextDocument(document);
    for (let i = 0; i < 50 && firstUnwritable(document.getText()); i++) {
      const version = document.version;
      await vscode.commands.executeCommand('undo');
      if (document.version === version) break;
    }
  }

  // Written here, then reopened from the file as UTF-8: VS Code cannot change
  // the encoding of a document with unsaved changes.
  async saveAsUtf8(document) {
    const text = document.getText();
    // TextEncoder, not Buffer: VS Code for the Web has no Buffer.
    await vscode.workspace.fs.writeFile(document.uri, new TextEncoder().encode(text));
    this.held.set(document.uri.toString(), 'utf8');
    const uri = document.uri;
    await vscode.window.showTextDocument(document);
    if ('encoding' in document) {
      await vscode.commands.executeCommand('workbench.action.files.revert');
      await vscode.workspace.openTextDocument(uri, { encoding: 'utf8' });
    } else {
      // Without a way to name the encoding, the story is opened afresh,
      // and VS Code finds the UTF-8 in the file itself.
      await vscode.commands.executeCommand('workbench.action.revertAndCloseActiveEditor');
      await vscode.window.showTextDocument(uri);
    }
  }
}

module.exports = { EncodingCheck };
