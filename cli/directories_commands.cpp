#include "cli/command.h"

#include "directories/directory_lists.h"

#include <QJsonArray>

std::vector<Command> directoriesCommands() {
    return {
        {"directory", "NAME",
         "站长资源：打印一个登录入口列表，每行三列（编号、网站名称、网站地址），以制表符分隔。NAME "
         "为 cn_bbs、cn_blog、cn_b2c、cn_search、en_blog、en_search 之一。"
         "--json：{\"header\": 第二列标题, \"rows\": [[编号, 网站名称, 网站地址], …]}。",
         1, 1,
         [](CliContext& ctx, const QStringList& args) {
             const DirectoryList* list = findDirectoryList(args[0]);
             if (!list)
                 throw UsageError{QStringLiteral("列表名应为 cn_bbs、cn_blog、cn_b2c、cn_search、"
                                                 "en_blog、en_search 之一")};
             QJsonArray rows;
             int number = 0;
             readDirectoryList(*list, [&](const QString& site, const QString& address) {
                 const QString n = QString::number(++number);
                 if (ctx.json)
                     rows.append(QJsonArray{n, site, address});
                 else
                     ctx.printRow({n, site, address});
             });
             if (ctx.json)
                 ctx.printJson({{QStringLiteral("header"), QString::fromUtf8(list->siteHeader)},
                                {QStringLiteral("rows"), rows}});
         }},
    };
}
