// CorvaneQ5 program entry.
#include <cstdio>

int main(int argc, char** argv) {
  (void)argc;
  (void)argv;
  std::puts("CorvaneQ5: the program's windows are not built yet.");
  return 0;
}
