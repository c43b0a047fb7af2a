// lumen <input file> <output file>
#include "app/entry.h"

int main(int argc, char** argv) { return runLumen(argc, argv); }
