// The suites follow Windows. Where Wine behaves otherwise, the case is marked with this macro just
// before the first expectation Wine does not meet: under Wine the rest of the test is skipped
// with the difference as the reason; on Windows and on the portable backend it runs in full.
#pragma once

#include "platform/contract/ContractEnvironment.h"

#include <gtest/gtest.h>

#define TARN_SKIP_WHERE_WINE_DIFFERS(environment, difference)                                      \
    do {                                                                                           \
        if ((environment).RunsOnWine()) GTEST_SKIP() << difference;                                \
    } while (false)
