#include "rank/get_count.h"

int getCount(std::optional<QStringView> stringBeSearched, std::optional<QStringView> stringToFind) {
    if (!stringBeSearched || !stringToFind)
        return 0;
    if (stringBeSearched->isEmpty())
        return -1;
    if (stringToFind->isEmpty())
        return 0;
    int count = 0;
    for (qsizetype at = stringBeSearched->indexOf(*stringToFind); at >= 0;
         at = stringBeSearched->indexOf(*stringToFind, at + stringToFind->size()))
        ++count;
    return count;
}
