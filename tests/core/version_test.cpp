#include "online/version.h"

#include <gtest/gtest.h>

#include <string>

namespace tavik {
namespace {

struct OrderCase {
  std::u16string a;
  std::u16string b;
  bool aBeforeB;
};

TEST(VersionBefore, ComparesAsPlainText) {
  const std::u16string longVersion = u"0.5.1" + std::u16string(1000, u'0');
  const OrderCase cases[] = {
      {u"0.5.1", u"0.5.2", true},
      {u"0.5.1", u"0.5.10", true},  // a prefix sorts first
      {u"0.5.1", u"0.6", true},
      {u"0.5.1", u"1", true},
      {u"0.10", u"0.5.1", true},    // not split into numbers: '1' < '5'
      {u"0.5.01", u"0.5.1", true},
      {u"0.5", u"0.5.1", true},
      {u"0.5.1", u"0.5.1", false},
      {u"0.5.9", u"0.5.10", false},  // '9' > '1'
      // Broken versions still get a definite place.
      {u"", u"0.5.1", true},
      {u"", u"", false},
      {u"0.5.1", u"abc", true},
      {u"0.5.1", u"0.5.1 ", true},
      {u"0.5.1", longVersion, true},
      {u"0.5.1", u"０.5.1", true},  // full-width digit sorts above every ASCII one
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.a.begin(), c.a.end()) + " vs " + std::to_string(c.b.size()) +
                 " units");
    EXPECT_EQ(VersionBefore(c.a, c.b), c.aBeforeB);
    EXPECT_EQ(VersionBefore(c.b, c.a), c.a != c.b && !c.aBeforeB);  // a strict order
  }
}

}  // namespace
}  // namespace tavik
