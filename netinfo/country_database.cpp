#include "netinfo/country_database.h"

#include "base/program_folder.h"
#include "base/tool_error.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QTimeZone>
#include <maxminddb.h>
#include <mutex>

namespace {

QString programDatabasePath() {
    return program_folder::file(QStringLiteral("/config/geo-whois-asn-country.mmdb"));
}

} // namespace

std::shared_ptr<const CountryDatabase> CountryDatabase::forProgram() {
    // Opened once and kept: every lookup of every run reads the same mapping.
    static std::mutex mutex;
    static std::weak_ptr<const CountryDatabase> open;
    const QString path = programDatabasePath();
    // The repository does not hold the file; a build from source runs without it until it is
    // fetched, and the lookup says so where the countries would be.
    if (!QFileInfo::exists(path))
        return nullptr;
    const std::lock_guard lock(mutex);
    std::shared_ptr<const CountryDatabase> db = open.lock();
    if (!db || db->path_ != path) {
        db = std::make_shared<const CountryDatabase>(path);
        open = db;
    }
    return db;
}

QString CountryDatabase::missingReason() {
    return QStringLiteral("没有 IP 数据库 %1，无法查询国家/地区：请在源代码目录运行 "
                          "bash scripts/fetch-ip-data.sh 下载它，再重新构建")
        .arg(programDatabasePath());
}

CountryDatabase::CountryDatabase(const QString& path)
    : db_(std::make_unique<MMDB_s>()), path_(path) {
    // libmaxminddb opens what it is given and waits for a FIFO's writer for ever.
    if (const QFileInfo file(path); file.exists() && !file.isFile())
        throw ToolError(QStringLiteral("IP 数据库 %1 不是普通文件（而是文件夹、设备或管道），"
                                       "不能读取：请删去它，再运行 bash scripts/fetch-ip-data.sh")
                            .arg(path));
    const int rc = MMDB_open(QFile::encodeName(path).constData(), MMDB_MODE_MMAP, db_.get());
    if (rc != MMDB_SUCCESS) {
        db_.reset();
        throw ToolError(QStringLiteral("无法打开 IP 数据库 %1（%2），请重新安装 Tessivo")
                            .arg(path, QString::fromUtf8(MMDB_strerror(rc))));
    }
}

CountryDatabase::~CountryDatabase() {
    if (db_)
        MMDB_close(db_.get());
}

QString CountryDatabase::countryCode(const QString& address) const {
    int gaiError = 0;
    int mmdbError = MMDB_SUCCESS;
    const QByteArray text = address.toLatin1();
    MMDB_lookup_result_s found =
        MMDB_lookup_string(db_.get(), text.constData(), &gaiError, &mmdbError);
    if (gaiError != 0 || mmdbError != MMDB_SUCCESS || !found.found_entry)
        return {};
    MMDB_entry_data_s data;
    if (MMDB_get_value(&found.entry, &data, "country_code", nullptr) != MMDB_SUCCESS ||
        !data.has_data || data.type != MMDB_DATA_TYPE_UTF8_STRING)
        return {};
    return QString::fromUtf8(data.utf8_string, int(data.data_size)).toUpper();
}

QString CountryDatabase::built() const {
    return QDateTime::fromSecsSinceEpoch(qint64(db_->metadata.build_epoch), Qt::UTC)
        .toString(Qt::ISODate);
}
