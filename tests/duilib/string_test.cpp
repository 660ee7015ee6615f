#include <gtest/gtest.h>

#include "duilib_test_support.h"

TEST(DuiString, BuildsComparesAppendsAndCopies) {
  CDuiString empty;
  EXPECT_TRUE(empty.IsEmpty());
  EXPECT_TRUE(empty == _T(""));

  CDuiString name(_T("close"));
  name += _T("btn");
  EXPECT_TRUE(name == _T("closebtn"));
  EXPECT_FALSE(name != _T("closebtn"));
  EXPECT_EQ(name.GetLength(), 8);

  CDuiString copy = name;
  copy.Append(_T("!"));
  EXPECT_TRUE(name == _T("closebtn"));  // the copy is independent
  EXPECT_TRUE(copy == _T("closebtn!"));
  EXPECT_EQ(copy.CompareNoCase(_T("CLOSEBTN!")), 0);

  CDuiString null(static_cast<LPCTSTR>(nullptr));
  EXPECT_TRUE(null.IsEmpty());
  EXPECT_EQ(name.Find(_T("btn")), 5);
  EXPECT_TRUE(name.Mid(5) == _T("btn"));
  EXPECT_TRUE(name.Left(5) == _T("close"));
  EXPECT_TRUE(name.Right(3) == _T("btn"));
}
