#include <gtest/gtest.h>
#include <ole2.h>

namespace {

// The web panel hosts an OLE control, so the tests' thread is an OLE
// apartment, as the program's user-interface thread is.
class OleEnvironment : public testing::Environment {
public:
    void SetUp() override { ASSERT_EQ(S_OK, OleInitialize(nullptr)); }
    void TearDown() override { OleUninitialize(); }
};

const testing::Environment* const g_ole = testing::AddGlobalTestEnvironment(new OleEnvironment);

}  // namespace
