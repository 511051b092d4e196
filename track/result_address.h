#pragma once

#include <QString>

// The real address of a result, from what its link expression read, the way the row's strategy
// says:
//   address   the value is the address (Sogou's data-url, 360's data-mdurl)
//   baidu-mu  Baidu's mu attribute; a value holding "nourl" stands for no address
//   data-log  JSON whose key "mu" holds it (Baidu mobile's data-log attribute)
//   bing-ck   a bing.com/ck/a link carries it base64url-encoded after "a1" in its u parameter;
//             any other link is the address itself
//   uddg      DuckDuckGo's /l/ link carries it percent-encoded in its uddg parameter
// Empty when the value holds none.
QString resultAddress(const QString& strategy, const QString& value);
