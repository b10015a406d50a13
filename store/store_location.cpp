#include "store/store_location.h"

#include <QDir>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUrl>
#include <QUrlQuery>

namespace velmora::store {
namespace {

const StoreError kPasswordRefused{
    "a password is never given on the command line: put it in ~/.pgpass, PGPASSWORD or a "
    "service file",
    true};

// A libpq value in single quotes, backslash and quote escaped.
QString quoted(const QString& value) {
    QString text = value;
    text.replace(u'\\', QStringLiteral("\\\\")).replace(u'\'', QStringLiteral("\\'"));
    return u'\'' + text + u'\'';
}

StoreResult<QString> optionsOfUrl(const QString& text) {
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid())
        return StoreError{"--store: " + text.toStdString() + " is not a PostgreSQL URL", true};
    if (!url.password().isEmpty())
        return kPasswordRefused;
    QStringList options;
    const auto add = [&options](const char* keyword, const QString& value) {
        if (!value.isEmpty())
            options << QString::fromLatin1(keyword) + u'=' + quoted(value);
    };
    add("host", url.host());
    add("port", url.port() > 0 ? QString::number(url.port()) : QString());
    add("user", url.userName());
    add("dbname", url.path().mid(1));
    const QUrlQuery query(url);
    for (const auto& [keyword, value] : query.queryItems(QUrl::FullyDecoded)) {
        if (keyword == u"password")
            return kPasswordRefused;
        add(keyword.toLatin1().constData(), value);
    }
    return options.join(u' ');
}

bool isPasswordKeyword(const QString& pairs) {
    static const QRegularExpression password(QStringLiteral(R"((^|\s)password\s*=)"));
    return password.match(pairs).hasMatch();
}

} // namespace

StoreResult<StoreLocation> storeLocationOf(const std::string& text) {
    const QString given = QString::fromStdString(text);
    StoreLocation location;
    location.shown = text;
    const bool url = given.startsWith(u"postgresql://") || given.startsWith(u"postgres://");
    if (url || given.contains(u'=')) {
        // The driver turns ';' into a blank between pairs, so a value may not hold one.
        if (given.contains(u';'))
            return StoreError{"--store: a ';' cannot be passed to the database driver", true};
        location.engine = StoreLocation::Engine::Postgresql;
        if (url) {
            auto options = optionsOfUrl(given);
            if (!options)
                return options.error();
            location.connectOptions = *options;
        } else {
            if (isPasswordKeyword(given))
                return kPasswordRefused;
            location.connectOptions = given;
        }
        return location;
    }
    if (given.isEmpty()) {
        location.sqliteFile =
            QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
            QStringLiteral("/velmora/production.sqlite");
        location.shown = location.sqliteFile.toStdString();
    } else {
        location.sqliteFile = QDir::current().absoluteFilePath(given);
    }
    return location;
}

} // namespace velmora::store
