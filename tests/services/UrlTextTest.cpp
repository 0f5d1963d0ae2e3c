#include "services/UrlText.h"

#include <gtest/gtest.h>

TEST(UrlText, LooksLikeAWebAddress) {
  for (const char *yes : {"WWW.x.org", "https://a", "httpd.conf", "/a/b.HTM", "c.html", "*foo.bar"})
    EXPECT_TRUE(IsUrlText(QString::fromLatin1(yes))) << yes;
  for (const char *no : {"", "/a/b.txt", "*foo", "ftp://x.org", "a www.x.org"})
    EXPECT_FALSE(IsUrlText(QString::fromLatin1(no))) << no;
}
