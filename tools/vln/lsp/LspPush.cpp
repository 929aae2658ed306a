// The language server driven by its host, for a browser's worker: a worker
// cannot wait on standard input, so instead of `vln lsp` reading its input
// the host hands each message body in as it arrives, and asks for the
// diagnostics once no more messages are waiting, as a session does between
// reads. Answers go to standard output, framed as in a session.
//
// The host calls vln_lsp_start once, never _start, then the others.
#include <cstddef>
#include <cstdlib>
#include <string_view>

#include "tools/vln/lsp/LspServer.h"
#include "tools/vln/lsp/LspStandardStreams.h"

namespace {

// Plain pointers: nothing here needs a constructor to have run.
StandardOutput* out = nullptr;
LspServer* server = nullptr;

LspServer& Server() {
  if (server == nullptr) {
    out = new StandardOutput();
    server = new LspServer(*out);
  }
  return *server;
}

}  // namespace

extern "C" void __wasm_call_ctors(void);

extern "C" {

// Runs the program's constructors, as _start would have.
__attribute__((export_name("vln_lsp_start"))) void VlnLspStart() { __wasm_call_ctors(); }

// Room for one message body of `size` bytes, which vln_lsp_message takes back.
__attribute__((export_name("vln_lsp_buffer"))) char* VlnLspBuffer(size_t size) {
  return static_cast<char*>(std::malloc(size > 0 ? size : 1));
}

// Handles one message body written into a buffer from vln_lsp_buffer, and
// frees it. Returns -1 while the server goes on, else its exit status.
__attribute__((export_name("vln_lsp_message"))) int VlnLspMessage(char* body, size_t size) {
  LspServer& lsp = Server();
  if (!lsp.Exited()) lsp.Handle(std::string_view(body, size));
  std::free(body);
  return lsp.Exited() ? lsp.ExitStatus() : -1;
}

// Publishes the diagnostics of every document changed since they were last
// published.
__attribute__((export_name("vln_lsp_publish"))) void VlnLspPublish() { Server().PublishDue(); }

}  // extern "C"
