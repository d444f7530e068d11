#include "platform/qt/QtProfileStore.h"

namespace velmar {

namespace {

QString KeyPath(std::string_view section, std::string_view key) {
    return QString::fromUtf8(section.data(), static_cast<qsizetype>(section.size())) + QLatin1Char('/') +
           QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size()));
}

}  // namespace

QtProfileStore::QtProfileStore()
    : settings_(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                            QStringLiteral("Velmar"), QStringLiteral("Velmar"))) {}

QtProfileStore::QtProfileStore(const QString& iniFile)
    : settings_(std::make_unique<QSettings>(iniFile, QSettings::IniFormat)) {}

std::optional<std::string> QtProfileStore::Read(std::string_view section, std::string_view key) const {
    const QVariant value = settings_->value(KeyPath(section, key));
    if (!value.isValid())
        return std::nullopt;
    // An INI value with commas in it comes back as a list; the text as written is what counts.
    if (value.metaType().id() == QMetaType::QStringList) {
        return value.toStringList().join(QLatin1Char(',')).toStdString();
    }
    return value.toString().toStdString();
}

bool QtProfileStore::Write(std::string_view section, std::string_view key, std::string_view value) {
    settings_->setValue(KeyPath(section, key),
                        QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size())));
    settings_->sync();
    return settings_->status() == QSettings::NoError;
}

}  // namespace velmar
