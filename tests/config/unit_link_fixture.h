#pragma once

#include "config_test_support.h"
#include "unit_fixture.h"

namespace ketrel::test {

// The link open on the simulated unit, and a fresh copy of the supplied database.
class UnitLinkFixture : public UnitFixture {
  protected:
    void SetUp() override {
        ASSERT_TRUE(db.created);
        UnitFixture::SetUp();
    }
    SuppliedDb db;
    RecordingProgress progress;
};

}  // namespace ketrel::test
