#pragma once

#include <QString>

// How a result's link becomes its real address: a strategy of the row and the row's own keys
// and marks for it, so that a changed wrapper is an edit of the engine's row.
//   address       the value is the address (Sogou's data-url, 360's data-mdurl, Baidu's mu);
//                 a value holding none stands for no address (Baidu's "nourl")
//   json          the value is JSON whose member key holds it (Baidu mobile's data-log, "mu")
//   base64-param  a link holding wrapper carries it base64url-encoded after prefix in its
//                 parameter key (Bing's "/ck/a?" link, "u", "a1"); any other link is the address
//   param         the link's parameter key holds it percent-encoded (DuckDuckGo's "uddg"); a link
//                 without it is the address
struct AddressRule {
    QString strategy = {};
    QString key = {};
    QString prefix = {};
    QString wrapper = {};
    QString none = {};
};

// Empty when the value holds none.
QString resultAddress(const AddressRule& rule, const QString& value);
