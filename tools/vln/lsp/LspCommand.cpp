#include "tools/vln/lsp/LspCommand.h"

#include <ostream>

#include "platform/StandardStreams.h"
#include "tools/vln/lsp/LspServer.h"
#include "tools/vln/lsp/LspStandardStreams.h"

int RunLsp(const std::vector<std::string>& args, std::ostream& err) {
  for (const std::string& arg : args) {
    // Clients add --stdio by convention; standard streams are all there is.
    if (arg != "--stdio") {
      err << "vln lsp: unknown option \"" << arg << "\"\nusage: vln lsp [--stdio]\n";
      return 2;
    }
  }
  UseBinaryStandardStreams();
  WidenStandardOutputPipe();
  StandardInput in;
  StandardOutput out;
  return RunLspSession(in, out);
}
