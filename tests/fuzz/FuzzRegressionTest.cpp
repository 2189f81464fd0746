// Inputs that the fuzz targets once found faults with, run again through the same drivers (load,
// then draw). A fault shows as a crash or a sanitizer report here, or as an exception other than
// the reader's own failure.
#include "FuzzDrivers.h"
#include "formats/metafile/HostileMetafiles.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace velmoa;

namespace {

TEST(FuzzRegression, PastFindingsLoadAndDrawCleanly) {
    const QDir root(QStringLiteral(VELMOA_FIXTURES_DIR "/fuzz"));
    int inputs = 0;
    for (const NamedFuzzDriver& driver : fuzzDrivers()) {
        const QDir dir(root.filePath(QString::fromStdString(driver.name)));
        for (const QString& name : dir.entryList(QDir::Files)) {
            QFile file(dir.filePath(name));
            ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
            const QByteArray bytes = file.readAll();
            EXPECT_NO_THROW(
                driver.drive(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()))))
                << driver.name << "/" << name.toStdString();
            ++inputs;
        }
    }
    RecordProperty("inputs", inputs);
}

// The metafiles that once ran away with time or memory, as the fuzz target's seeds hold them.
TEST(FuzzRegression, HostileMetafileSeedsLoadAndDrawCleanly) {
    const auto emf = std::find_if(fuzzDrivers().begin(), fuzzDrivers().end(),
                                  [](const NamedFuzzDriver& d) { return d.name == "emf"; });
    ASSERT_NE(emf, fuzzDrivers().end());
    for (const hostile::Shape& shape : hostile::shapes()) {
        const std::string seed = shape.make(false);
        EXPECT_LE(seed.size(), std::size_t{65536}) << shape.name << ": a seed the fuzz target reads whole";
        EXPECT_NO_THROW(emf->drive(seed)) << shape.name;
    }
}

} // namespace
