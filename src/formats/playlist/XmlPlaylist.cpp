#include "formats/playlist/XmlPlaylist.h"

#include "formats/playlist/PlaylistLimits.h"
#include "formats/playlist/PlaylistReference.h"

#include <QByteArray>
#include <QXmlStreamReader>

namespace velmoa {
namespace {

// Bounds for hostile files: no playlist of ours needs more.
constexpr int kMaxDepth = 64;

QString attribute(const QXmlStreamAttributes& attributes, QStringView name) {
    for (const QXmlStreamAttribute& a : attributes) {
        if (a.name().compare(name, Qt::CaseInsensitive) == 0) {
            return a.value().toString().trimmed();
        }
    }
    return {};
}

} // namespace

std::vector<std::string> readXmlPlaylist(std::string_view bytes, std::string_view folder) {
    QXmlStreamReader xml(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    std::vector<std::string> entries;
    int depth = 0;
    bool inEntry = false;
    int entryDepth = 0;
    while (!xml.atEnd() && entries.size() < kMaxPlaylistEntries) {
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
            const std::string path = localReference(
                attribute(xml.attributes(), is("ref") ? u"href" : u"src").toStdString(), folder);
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
