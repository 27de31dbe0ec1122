// The EFD-Reinf test programs start as the program does: libxml2's process-wide set-up first.
#include <gtest/gtest.h>

#include "dfe/ssl/libxml2_global.h"

int main(int argc, char** argv) {
  const luvaro::LibXml2Global libxml2;
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
