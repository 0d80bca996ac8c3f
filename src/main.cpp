#include <iostream>
#include <string_view>

int main(int argc, char** argv) {
  if (argc > 1 && std::string_view(argv[1]) == "--version") {
    std::cout << "slurry1d " << SLURRY1D_VERSION << "\n";
    return 0;
  }
  return 0;
}
