// The version tests' PE image writer, for source files that carry a version resource.
#include "version/PeWriter.cpp"
