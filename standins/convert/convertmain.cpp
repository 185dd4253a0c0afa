// Stand-in of the conversion program that the conversion run starts: it records what it
// was given and ends with the exit code a test chooses.
//
//   convert <control file> convert
//
// Writes, in the current folder, "convert.args" (one argument a line) and "convert.ctl"
// (a copy of the control file as it was during the run; nothing when it cannot be read).
// Exit code: CONVERT_STANDIN_EXIT when set, else 0.
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

int main(int argc, char** argv) {
  std::ofstream args("convert.args", std::ios::binary);
  for (int i = 1; i < argc; ++i) args << argv[i] << '\n';
  if (argc > 1) {
    std::ifstream in(argv[1], std::ios::binary);
    if (in) {
      const std::string text((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
      std::ofstream("convert.ctl", std::ios::binary) << text;
    }
  }
  const char* code = std::getenv("CONVERT_STANDIN_EXIT");
  return code != nullptr ? std::atoi(code) : 0;
}
