// The loading program's steps, which live with the program, for their tests.
#include "../../apps/setup-loader/SetupLoader.cpp"
