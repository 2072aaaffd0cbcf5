// KORVEX: reads the control deck MONIN in the current folder and writes the listing MONOUT.
// The program takes no arguments. Of the environment it reads only KORVEX_THREADS, the
// number of threads the correlation passes may use (default: the cores it may run on).
#include "executive/over00.hpp"

int main() { return korvex::OVER00(); }
