#include "Settings.h"

#include "LogMessage.h"

#include <QCoreApplication>
#include <QDir>
#include <QLocale>
#include <QMutex>
#include <QSet>
#include <QSettings>
#include <QVariant>
#include <cmath>
#include <limits>
#include <optional>

namespace {
QSettings* g_pUserSettings = nullptr;

// Texts of numbers longer than this are no numbers a control can hold.
constexpr int kiMaximumNumberText = 64;

bool bIsIntegerType(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
        return true;
    default:
        return false;
    }
}

bool bIsRealType(const QVariant& value)
{
    return value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float;
}

// The stored text of a number, or nothing when the value is no short text.
std::optional<QString> oNumberText(const QVariant& value)
{
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    const QString text = value.toString().trimmed();
    if (text.isEmpty() || text.size() > kiMaximumNumberText)
        return std::nullopt;
    return text;
}

std::optional<double> oReadReal(const QVariant& value)
{
    if (bIsIntegerType(value) || bIsRealType(value))
        return value.toDouble();
    const std::optional<QString> text = oNumberText(value);
    if (!text)
        return std::nullopt;
    bool ok = false;
    const double number = QLocale::c().toDouble(*text, &ok);
    return ok ? std::optional<double>(number) : std::nullopt;
}

std::optional<qlonglong> oReadInteger(const QVariant& value)
{
    if (value.typeId() == QMetaType::ULongLong) {
        const qulonglong number = value.toULongLong();
        return number > qulonglong(std::numeric_limits<qlonglong>::max()) ? std::nullopt
                                                                          : std::optional<qlonglong>(qlonglong(number));
    }
    if (bIsIntegerType(value))
        return value.toLongLong();
    if (bIsRealType(value)) {
        const double number = value.toDouble();
        // Beyond this a conversion to an integer is undefined; NaN is no whole number.
        if (number != std::floor(number) || std::fabs(number) > 1e15)
            return std::nullopt;
        return qlonglong(number);
    }
    const std::optional<QString> text = oNumberText(value);
    if (!text)
        return std::nullopt;
    bool ok = false;
    const qlonglong number = text->toLongLong(&ok, 10);
    return ok ? std::optional<qlonglong>(number) : std::nullopt;
}

std::optional<bool> oReadBool(const QVariant& value)
{
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    if (bIsIntegerType(value)) {
        const qlonglong number = value.toLongLong();
        return number == 0 || number == 1 ? std::optional<bool>(number == 1) : std::nullopt;
    }
    const std::optional<QString> text = oNumberText(value);
    if (!text)
        return std::nullopt;
    const QString word = text->toLower();
    if (word == QLatin1String("true") || word == QLatin1String("1"))
        return true;
    if (word == QLatin1String("false") || word == QLatin1String("0"))
        return false;
    return std::nullopt;
}

bool bIsPlainText(const QString& text)
{
    if (text.size() > kiMaximumSettingText)
        return false;
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return false;
    }
    return true;
}

bool bFitsKind(const QString& text, SettingText kind)
{
    switch (kind) {
    case SettingText::Any:
        return true;
    case SettingText::NotEmpty:
        return !text.trimmed().isEmpty();
    case SettingText::AbsolutePath:
        return !text.trimmed().isEmpty() && QDir::isAbsolutePath(text);
    case SettingText::RelativePath:
        return QDir::isRelativePath(text);
    case SettingText::Word:
        if (text.isEmpty() || text.size() > 16)
            return false;
        for (const QChar c : text) {
            if (c.unicode() > 0x7f || !c.isLetterOrNumber())
                return false;
        }
        return true;
    }
    return false;
}

// Short enough for a log line, whatever was stored.
QString qstrDescribe(const QVariant& value)
{
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString();
        if (text.size() <= 40)
            return QLatin1Char('"') + text + QLatin1Char('"');
        return QStringLiteral("\"%1...\" (%2 characters)").arg(text.left(40)).arg(text.size());
    }
    if (bIsIntegerType(value) || bIsRealType(value) || value.typeId() == QMetaType::Bool)
        return value.toString();
    return QStringLiteral("a value of type ") + QString::fromLatin1(value.typeName());
}

template <typename T> T tRepaired(const QString& key, const QVariant& stored, const T& fallback, SettingRepair repair)
{
    const QString description = qstrDescribe(stored);
    static QMutex s_mutex;
    static QSet<QString> s_logged;
    bool first = false;
    {
        QMutexLocker lock(&s_mutex);
        const QString entry = key + QLatin1Char('\n') + description;
        // The set stays small: one entry per key and bad value seen in this run.
        if (!s_logged.contains(entry) && s_logged.size() < 1000) {
            s_logged.insert(entry);
            first = true;
        }
    }
    if (first || repair == SettingRepair::WriteDefault) {
        // Keys read with a leading slash are the same keys without it.
        const QString name = key.startsWith(QLatin1Char('/')) ? key.mid(1) : key;
        vLogMessage(QStringLiteral("Setting \"%1\" held an unusable value, %2; the default %3 is used instead.")
                        .arg(name, description, qstrDescribe(QVariant::fromValue(fallback))));
    }
    if (repair == SettingRepair::WriteDefault)
        pGetUserSettings()->setValue(key, fallback);
    return fallback;
}

} // namespace

void vCreateSettings()
{
    delete g_pUserSettings;
    g_pUserSettings = new QSettings();
}

void vDeleteSettings()
{
    delete g_pUserSettings;
    g_pUserSettings = nullptr;
}

QSettings* pGetUserSettings()
{
    Q_ASSERT(g_pUserSettings);
    return g_pUserSettings;
}

QString qstrGetInstallDir()
{
    const QString configured = qstrReadSetting(QStringLiteral("InstallDir"), QString(), SettingText::AbsolutePath);
    if (!configured.isEmpty())
        return configured;
    if (!QCoreApplication::instance())
        return QString();
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/.."));
}

QString qstrGetInstallPath(const QString& relativePath)
{
    const QString root = qstrGetInstallDir();
    if (root.isEmpty())
        return QDir::cleanPath(QLatin1Char('/') + relativePath);
    return QDir::cleanPath(root + QLatin1Char('/') + relativePath);
}

bool bReadSetting(const QString& key, bool fallback, SettingRepair repair)
{
    const QVariant stored = pGetUserSettings()->value(key);
    if (!stored.isValid())
        return fallback;
    if (const std::optional<bool> value = oReadBool(stored))
        return *value;
    return tRepaired(key, stored, fallback, repair);
}

int iReadSetting(const QString& key, int fallback, int minimum, int maximum, SettingRepair repair)
{
    const QVariant stored = pGetUserSettings()->value(key);
    if (!stored.isValid())
        return fallback;
    const std::optional<qlonglong> value = oReadInteger(stored);
    if (value && *value >= minimum && *value <= maximum)
        return int(*value);
    return tRepaired(key, stored, fallback, repair);
}

double dReadSetting(const QString& key, double fallback, double minimum, double maximum, SettingRepair repair)
{
    const QVariant stored = pGetUserSettings()->value(key);
    if (!stored.isValid())
        return fallback;
    const std::optional<double> value = oReadReal(stored);
    // Bounds are finite numbers, so NaN and the infinities fall outside them.
    if (value && *value >= minimum && *value <= maximum)
        return *value;
    return tRepaired(key, stored, fallback, repair);
}

QString qstrReadSetting(const QString& key, const QString& fallback, SettingText kind, SettingRepair repair)
{
    const QVariant stored = pGetUserSettings()->value(key);
    if (!stored.isValid())
        return fallback;
    if (stored.typeId() == QMetaType::QString) {
        const QString text = stored.toString();
        if (bIsPlainText(text) && bFitsKind(text, kind))
            return text;
    }
    return tRepaired(key, stored, fallback, repair);
}
