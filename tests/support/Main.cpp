#include <gtest/gtest.h>

#include "model/Image.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  pv::initialiseImageLibrary();
  int rc = RUN_ALL_TESTS();
  pv::shutdownImageLibrary();
  return rc;
}
