// The version tests' PE image writer, for members that carry a version resource.
#include "version/PeWriter.cpp"
