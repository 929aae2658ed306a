// Where a WASI program starts, in place of the C library's own start: that
// one leaves the constructors to the linker, which then runs them (and the
// destructors) around every function the module exports, and so would
// undo, after each message, the language server that a browser's worker
// drives through vln.wasm's exports (tools/vln/lsp/LspPush.cpp). Here the
// constructors run once, before main, and exit runs the destructors.
#include <cstdlib>

extern "C" void __wasm_call_ctors(void);
// The C library's: reads the arguments and calls main with them.
extern "C" int __original_main(void);

extern "C" void _start(void) {
  __wasm_call_ctors();
  std::exit(__original_main());
}
