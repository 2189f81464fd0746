#include "formats/playlist/XmlPlaylist.h"

#include <QByteArray>
#include <QUrl>
#include <QXmlStreamReader>

namespace velmoa {
namespace {

// Bounds for hostile files: no playlist of ours needs more.
constexpr size_t kMaxEntries = 10000;
constexpr int kMaxDepth = 64;

QString attribute(const QXmlStreamAttributes& attributes, QStringView name) {
    for (const QXmlStreamAttribute& a : attributes) {
        if (a.name().compare(name, Qt::CaseInsensitive) == 0) {
            return a.value().toString().trimmed();
        }
    }
    return {};
}

// A playlist's reference as a local path, or empty when it is not one.
std::string localPath(const QString& reference, const std::string& folder) {
    if (reference.isEmpty() || reference.contains(QLatin1Char('\n')) ||
        reference.contains(QLatin1Char('\r'))) {
        return {};
    }
    const int colon = reference.indexOf(QLatin1Char(':'));
    const bool hasScheme = colon > 1 && !reference.left(colon).contains(QLatin1Char('/')) &&
                           !reference.left(colon).contains(QLatin1Char('\\'));
    if (hasScheme) {
        const QUrl url(reference);
        return url.isLocalFile() ? url.toLocalFile().toStdString() : std::string();
    }
    QString path = reference;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (path.startsWith(QLatin1Char('/'))) {
        return path.toStdString();
    }
    std::string base = folder;
    if (!base.empty() && base.back() != '/') {
        base += '/';
    }
    return base + path.toStdString();
}

} // namespace

std::vector<std::string> readXmlPlaylist(std::string_view bytes, const std::string& folder) {
    QXmlStreamReader xml(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    std::vector<std::string> entries;
    int depth = 0;
    bool inEntry = false;
    int entryDepth = 0;
    while (!xml.atEnd() && entries.size() < kMaxEntries) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::EndElement) {
            if (inEntry && depth == entryDepth) {
                inEntry = false;
            }
            --depth;
            continue;
        }
        if (token != QXmlStreamReader::StartElement) {
            continue;
        }
        if (++depth > kMaxDepth) {
            break;
        }
        const QStringView name = xml.name();
        auto is = [&](const char* tag) { return name.compare(QLatin1String(tag), Qt::CaseInsensitive) == 0; };
        if (is("entry")) {
            inEntry = true;
            entryDepth = depth;
        } else if ((is("ref") && inEntry) || is("media")) {
            const std::string path =
                localPath(attribute(xml.attributes(), is("ref") ? u"href" : u"src"), folder);
            if (!path.empty()) {
                entries.push_back(path);
                // An ASX entry may list alternatives for the same item: the first one plays.
                inEntry = !is("ref");
            }
        }
    }
    // What was read before a syntax error still counts, as players of these lists do.
    return entries;
}

} // namespace velmoa
