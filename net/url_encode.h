#pragma once

#include <QString>

// GBK percent-encoding as Youdao expects it: letters and digits as they are, a space as "+",
// every other byte as %XX, except that a double-byte character's trail byte below 0xA0 is
// appended as it is (網 -> %BEW). A character GBK cannot hold is encoded as "?" (%3F).
QString URLEncode(const QString& strEnc);
