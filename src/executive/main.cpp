// KORVEX: reads the control deck MONIN in the current folder and writes the listing MONOUT.
// The program takes no arguments and reads no environment.
#include "executive/over00.hpp"

int main() { return korvex::OVER00(); }
