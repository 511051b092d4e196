// A robots.txt read for any product token and asked about any path; fields are the token, the
// path and the file. /robots.txt itself is always allowed.
#include "audit/robots_rules.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QList<QByteArray> f = fuzz::fields(data, size, 3);
    const RobotsRules rules = RobotsRules::parse(f[2], QString::fromLatin1(f[0]));
    rules.allows(f[1]);
    if (!rules.allows("/robots.txt"))
        fuzz::mismatch("/robots.txt was disallowed", QString::fromLatin1(f[2]), QString());
    return 0;
}
