#include "app/ExtensionTables.h"
#include "controls/ToolImages.h"

#include <QFile>
#include <QImage>
#include <QMimeDatabase>
#include <QPainter>
#include <QSet>
#include <QSvgRenderer>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

#include <map>

using namespace velmoa;

namespace {

QString packagingFile(const char* name) {
    return QStringLiteral(VELMOA_PACKAGING_DIR "/") + QLatin1String(name);
}

// The types of the desktop entry's MimeType key.
QSet<QString> desktopEntryTypes() {
    QFile file(packagingFile("velmoa.desktop"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    QSet<QString> types;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.startsWith("MimeType=")) {
            for (const QString& type : QString::fromUtf8(line.mid(9)).split(u';', Qt::SkipEmptyParts)) {
                types.insert(type);
            }
        }
    }
    return types;
}

// The globs that the program adds to the shared MIME database: "*.rmi" -> "audio/midi".
std::map<QString, QString> addedGlobs() {
    QFile file(packagingFile("velmoa-mime.xml"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    std::map<QString, QString> globs;
    QString type;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) {
            continue;
        }
        if (xml.name() == u"mime-type") {
            type = xml.attributes().value(QLatin1String("type")).toString();
        } else if (xml.name() == u"glob") {
            globs[xml.attributes().value(QLatin1String("pattern")).toString()] = type;
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return globs;
}

// What a file manager calls a file with this extension: the shared database's types and ours.
QStringList typesOfExtension(std::string_view upperExtension) {
    const QString ext = QString::fromLatin1(upperExtension.data(), upperExtension.size()).toLower();
    QStringList types;
    for (const QMimeType& type : QMimeDatabase().mimeTypesForFileName(QStringLiteral("name") + ext)) {
        types << type.name();
    }
    static const auto globs = addedGlobs();
    if (const auto added = globs.find(QLatin1Char('*') + ext); added != globs.end()) {
        types << added->second;
    }
    types.removeDuplicates();
    return types;
}

} // namespace

TEST(DesktopEntry, OffersToOpenEveryExtensionTheViewsOpen) {
    const QSet<QString> listed = desktopEntryTypes();
    ASSERT_FALSE(listed.isEmpty());
    // Pictures and media need their own types listed; documents may be covered by a parent type
    // (text/plain covers C and Pascal sources), and some have no type beyond their content.
    struct Table {
        const char* name;
        std::vector<std::string_view> extensions;
        bool ownTypeRequired;
    };
    std::vector<std::string_view> documents = plainTextExtensions();
    documents.push_back(".RTF");
    const Table tables[] = {
        {"picture", pictureExtensions(), true},
        {"media", mediaExtensions(), true},
        {"document", documents, false},
    };
    for (const Table& table : tables) {
        for (std::string_view extension : table.extensions) {
            const QStringList types = typesOfExtension(extension);
            if (table.ownTypeRequired) {
                EXPECT_FALSE(types.isEmpty()) << table.name << " " << extension << " has no MIME type";
            }
            for (const QString& type : types) {
                bool covered = listed.contains(type);
                if (!table.ownTypeRequired) {
                    for (const QString& ancestor : QMimeDatabase().mimeTypeForName(type).allAncestors()) {
                        covered = covered || listed.contains(ancestor);
                    }
                }
                EXPECT_TRUE(covered) << table.name << " " << extension << ": " << type.toStdString();
            }
        }
    }
    for (const char* type :
         {"image/wmf", "image/emf", "application/rtf", "text/plain", "text/html", "text/csv"}) {
        EXPECT_TRUE(listed.contains(QLatin1String(type))) << type;
    }
}

TEST(DesktopEntry, ListsOnlyTypesOfOpenedExtensions) {
    QSet<QString> opened{QStringLiteral("text/plain")}; // any other file is shown as text
    for (const auto* table : {&pictureExtensions(), &mediaExtensions(), &plainTextExtensions()}) {
        for (std::string_view extension : *table) {
            for (const QString& type : typesOfExtension(extension)) {
                opened.insert(type);
            }
        }
    }
    for (const QString& type : typesOfExtension(".RTF")) {
        opened.insert(type);
    }
    for (const QString& type : desktopEntryTypes()) {
        EXPECT_TRUE(opened.contains(type)) << type.toStdString() << " is no type of an opened extension";
    }
}

TEST(ApplicationIcon, ScalableIconMatchesTheWindowIcon) {
    QSvgRenderer renderer(packagingFile("velmoa.svg"));
    ASSERT_TRUE(renderer.isValid());
    const QImage drawn = applicationPicture().toImage().convertToFormat(QImage::Format_ARGB32);
    QImage rendered(drawn.size(), QImage::Format_ARGB32);
    rendered.fill(Qt::transparent);
    {
        QPainter painter(&rendered);
        renderer.render(&painter);
    }
    // Anti-aliased edges may differ a little; a shape or colour that differs shows in many pixels.
    int differing = 0;
    for (int y = 0; y < drawn.height(); ++y) {
        for (int x = 0; x < drawn.width(); ++x) {
            const QRgb a = drawn.pixel(x, y), b = rendered.pixel(x, y);
            const int d = std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                    std::abs(qBlue(a) - qBlue(b)), std::abs(qAlpha(a) - qAlpha(b))});
            differing += d > 48 ? 1 : 0;
        }
    }
    EXPECT_LE(differing, 4);
}
