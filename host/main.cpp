#include "cli.h"

int main(int argc, char** argv) { return kmcdoc::Run(argc, argv); }
