// The install application's page logic, which lives with the program, for its tests.
#include "../../apps/tarnwell-setup/SetupFrontEnd.cpp"
