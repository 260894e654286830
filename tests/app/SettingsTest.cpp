#include "app/DataFolder.h"
#include "app/Errors.h"
#include "app/FileAssociation.h"
#include "app/FileInfo.h"
#include "app/MyMemIniFile.h"
#include "app/VQRegistry.h"
#include "app/WindowPlacement.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <clocale>

namespace {

class RegistryTest : public ::testing::Test {
protected:
    QTemporaryDir Dir;
    QString File() const { return Dir.filePath(QStringLiteral("sub/registry.json")); }
};

} // namespace

TEST_F(RegistryTest, BehavesLikeTheRegistryAcrossInstances)
{
    {
        TVQRegIniFile reg(File());
        reg.WriteString(QString(), QStringLiteral("BaseDir"), QStringLiteral("  /home/a b/  "));
        reg.WriteInteger(QStringLiteral("Master"), QStringLiteral("Left"), -12);
        reg.WriteBool(QStringLiteral("Master"), QStringLiteral("Flag"), true);
        reg.WriteString(QStringLiteral("Druckeinstellung\\Photo\\Drucker 1"), QStringLiteral("Drucker"),
                        QStringLiteral("Drucker 1"));
        const char bin[] = {'\0', '\x01', '\xFF', '\x7F', '\0'};
        reg.WriteBinaryData(QStringLiteral("Druckeinstellung\\Photo\\Drucker 1"), QStringLiteral("DeviceMode"),
                            bin, int(sizeof bin));
    }
    TVQRegIniFile reg(File());
    // Blanks are kept, names match whatever their case.
    EXPECT_EQ(reg.ReadString(QString(), QStringLiteral("basedir"), QString()), QStringLiteral("  /home/a b/  "));
    EXPECT_EQ(reg.ReadInteger(QStringLiteral("MASTER"), QStringLiteral("left"), 0), -12);
    EXPECT_TRUE(reg.ReadBool(QStringLiteral("master"), QStringLiteral("FLAG"), false));
    EXPECT_EQ(reg.ReadString(QStringLiteral("druckeinstellung\\PHOTO\\drucker 1"), QStringLiteral("Drucker"), QString()),
              QStringLiteral("Drucker 1"));
    // A section of the same name at another level is another key.
    EXPECT_EQ(reg.ReadString(QStringLiteral("Photo"), QStringLiteral("Drucker"), QStringLiteral("none")),
              QStringLiteral("none"));

    const QString sec = QStringLiteral("Druckeinstellung\\Photo\\Drucker 1");
    ASSERT_EQ(reg.GetDataSize(sec, QStringLiteral("devicemode")), 5);
    char buf[5] = {};
    EXPECT_EQ(reg.ReadBinaryData(sec, QStringLiteral("DeviceMode"), buf, 5), 5);
    EXPECT_EQ(QByteArray(buf, 5), QByteArray("\0\x01\xFF\x7F\0", 5));
    char small[2];
    EXPECT_THROW(reg.ReadBinaryData(sec, QStringLiteral("DeviceMode"), small, 2), Exception);

    // Missing values give the defaults.
    EXPECT_EQ(reg.ReadInteger(QStringLiteral("Master"), QStringLiteral("Top"), 77), 77);
    EXPECT_EQ(reg.GetDataSize(sec, QStringLiteral("nothing")), -1);
    EXPECT_EQ(reg.ReadString(QStringLiteral("Nowhere"), QStringLiteral("x"), QStringLiteral("d")),
              QStringLiteral("d"));
}

TEST_F(RegistryTest, FloatsUseTheCommaWhateverTheLocale)
{
    const QLocale saved;
    const std::string savedC = std::setlocale(LC_ALL, nullptr);
    for (const char* locale : {"C", "de_DE.UTF-8"}) {
        std::setlocale(LC_ALL, locale); // may be missing on the machine; the Qt locale below still counts
        QLocale::setDefault(QLocale(QString::fromLatin1(locale)));
        TVQRegIniFile reg(File());
        reg.WriteFloat(QStringLiteral("Druck"), QStringLiteral("RandlosverschiebungY"), 2.5);
        EXPECT_EQ(reg.ReadString(QStringLiteral("Druck"), QStringLiteral("RandlosverschiebungY"), QString()),
                  QStringLiteral("2,5"));
        EXPECT_DOUBLE_EQ(reg.ReadFloat(QStringLiteral("Druck"), QStringLiteral("RandlosverschiebungY"), 0), 2.5);
        reg.WriteFloat(QStringLiteral("Druck"), QStringLiteral("Small"), -0.000125);
        EXPECT_DOUBLE_EQ(reg.ReadFloat(QStringLiteral("Druck"), QStringLiteral("Small"), 0), -0.000125);
    }
    std::setlocale(LC_ALL, savedC.c_str());
    QLocale::setDefault(saved);

    struct Case {
        const char* Text;
        bool Ok;
        double Value;
    };
    const Case cases[] = {
        {"2,5", true, 2.5},   {" -1,25 ", true, -1.25}, {"3", true, 3},   {",5", true, 0.5},
        {"1,5E-3", true, 0.0015}, {"2.5", false, 0},    {"", false, 0},   {"abc", false, 0},
        {"1,2,3", false, 0},
    };
    for (const Case& c : cases) {
        double v = -99;
        EXPECT_EQ(CommaTextToFloat(QString::fromLatin1(c.Text), v), c.Ok) << c.Text;
        if (c.Ok) {
            EXPECT_DOUBLE_EQ(v, c.Value) << c.Text;
        }
    }
    TVQRegIniFile reg(File());
    reg.WriteString(QStringLiteral("Druck"), QStringLiteral("Bad"), QStringLiteral("2.5"));
    EXPECT_DOUBLE_EQ(reg.ReadFloat(QStringLiteral("Druck"), QStringLiteral("Bad"), 7.0), 7.0);
}

TEST_F(RegistryTest, KeepsWhatAnotherInstanceWroteMeanwhile)
{
    TVQRegIniFile first(File());
    TVQRegIniFile second(File());
    first.WriteInteger(QString(), QStringLiteral("Sprache"), 1);
    second.WriteString(QStringLiteral("Master"), QStringLiteral("x"), QStringLiteral("y"));
    TVQRegIniFile third(File());
    EXPECT_EQ(third.ReadInteger(QString(), QStringLiteral("Sprache"), -99), 1);
    EXPECT_EQ(third.ReadString(QStringLiteral("Master"), QStringLiteral("x"), QString()), QStringLiteral("y"));
}

TEST_F(RegistryTest, UnwritableOrDamagedFilesDoNotStopTheProgram)
{
    // Settings are written while the window closes; a failure there must
    // not throw. A folder where the file should be makes every write fail,
    // also for root.
    QDir().mkpath(File());
    {
        TVQRegIniFile reg(File());
        EXPECT_NO_THROW(reg.WriteInteger(QString(), QStringLiteral("Sprache"), 3));
    }
    QDir(File()).removeRecursively();

    // A torn file (from a tool that does not write atomically) reads as
    // empty, and the next write replaces it with a complete one.
    QFile f(File());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("{\"sections\": [ {\"name\": \"Mas");
    f.close();
    TVQRegIniFile reg(File());
    EXPECT_EQ(reg.ReadInteger(QString(), QStringLiteral("Sprache"), -99), -99);
    reg.WriteInteger(QString(), QStringLiteral("Sprache"), 4);
    EXPECT_EQ(TVQRegIniFile(File()).ReadInteger(QString(), QStringLiteral("Sprache"), -99), 4);
}

TEST(MemIniFile, ParsesLanguageTableText)
{
    TMyMemIniFile ini;
    ini.SetLines({
        QStringLiteral("orphan=before any section"),
        QStringLiteral("[Localizer]"),
        QStringLiteral("NoLanguageFile=A"),
        QStringLiteral(";comment=x"),
        QStringLiteral(""),
        QStringLiteral("[Default]"),
        QStringLiteral("Seitenzahl=count"),
        QStringLiteral("Seite=page"),
        QStringLiteral("Photo Balloons =Photo Balloons "),
        QStringLiteral("Formel=a=b"),
        QStringLiteral("seite=second"),
        QStringLiteral("[localizer]"),
        QStringLiteral("Other=B"),
    });
    EXPECT_EQ(ini.ReadSections(), QStringList({QStringLiteral("Localizer"), QStringLiteral("Default")}));
    // Both blocks of the same section are one section.
    EXPECT_EQ(ini.ReadString(QStringLiteral("LOCALIZER"), QStringLiteral("other"), QString()), QStringLiteral("B"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("Localizer"), QStringLiteral("NoLanguageFile"), QString()),
              QStringLiteral("A"));
    // "Seite" is not "Seitenzahl"; the first matching line wins.
    EXPECT_EQ(ini.ReadString(QStringLiteral("Default"), QStringLiteral("Seite"), QString()), QStringLiteral("page"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("Default"), QStringLiteral("Photo Balloons "), QString()),
              QStringLiteral("Photo Balloons "));
    EXPECT_EQ(ini.ReadString(QStringLiteral("Default"), QStringLiteral("Formel"), QString()), QStringLiteral("a=b"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("Default"), QStringLiteral("orphan"), QStringLiteral("-")),
              QStringLiteral("-"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("Default"), QStringLiteral(";comment"), QStringLiteral("-")),
              QStringLiteral("-"));

    ini.WriteString(QStringLiteral("default"), QStringLiteral("SEITE"), QStringLiteral("replaced"));
    ini.WriteString(QStringLiteral("New"), QStringLiteral("k"), QStringLiteral("v"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("Default"), QStringLiteral("Seite"), QString()),
              QStringLiteral("replaced"));
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    ini.SaveToStream(out);
    EXPECT_TRUE(out.data().contains("[New]\r\nk=v\r\n\r\n"));
    EXPECT_TRUE(out.data().contains("SEITE=replaced\r\n"));
}

TEST(MemIniFile, ReadsUtf16Tables)
{
    const QString text = QStringLiteral(u"[Default]\r\nÖffnen=Open\r\nDrucken=Print\r\n");
    QByteArray wide("\xFF\xFE", 2);
    for (QChar c : text) {
        wide.append(char(c.unicode() & 0xFF));
        wide.append(char(c.unicode() >> 8));
    }
    QBuffer buf(&wide);
    buf.open(QIODevice::ReadOnly);
    TMyMemIniFile ini;
    ini.LoadFromWideStream(buf);
    EXPECT_EQ(ini.ReadString(QStringLiteral("default"), QStringLiteral(u"öffnen"), QString()), QStringLiteral("Open"));
    EXPECT_EQ(ini.ReadSection(QStringLiteral("Default")).size(), 2);

    ini.LoadFromFile(QStringLiteral("/nonexistent/table.txt"));
    EXPECT_TRUE(ini.ReadSections().isEmpty());
}

TEST(WindowPlacement, FitsTheStoredRectangleOntoTheScreen)
{
    struct Case {
        QRect Stored;
        QRect Out;
    };
    const QSize screen(1280, 1024);
    const Case cases[] = {
        {QRect(0, 0, 3000, 2000), QRect(0, 0, 1280, 1024)},
        {QRect(100, 50, 800, 600), QRect(100, 50, 800, 600)},
        {QRect(700, 500, 800, 600), QRect(480, 424, 800, 600)},
        {QRect(481, 0, 800, 600), QRect(480, 0, 800, 600)},
        {QRect(-50, -20, 800, 600), QRect(0, 0, 800, 600)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ClampWindowRect(c.Stored, screen), c.Out);
}

TEST(DataFolder, MovesAnOldFileOnlyAfterAVerifiedCopy)
{
    QTemporaryDir dir;
    const QString data = dir.filePath(QStringLiteral("data"));
    const QString prog = dir.filePath(QStringLiteral("prog"));
    QDir().mkpath(data);
    QDir().mkpath(prog);
    QFile old(prog + QStringLiteral("/custcolo.dat"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("colours");
    old.close();

    const QString path = GetDataFileIn(data, prog, QStringLiteral("custcolo.dat"));
    EXPECT_EQ(path, data + QStringLiteral("/custcolo.dat"));
    EXPECT_FALSE(QFile::exists(prog + QStringLiteral("/custcolo.dat")));
    QFile moved(path);
    ASSERT_TRUE(moved.open(QIODevice::ReadOnly));
    EXPECT_EQ(moved.readAll(), QByteArray("colours"));

    // A file already in the data folder is never replaced.
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("older");
    old.close();
    GetDataFileIn(data, prog, QStringLiteral("custcolo.dat"));
    EXPECT_TRUE(QFile::exists(prog + QStringLiteral("/custcolo.dat")));

    EXPECT_TRUE(GetDataFolder().endsWith(QStringLiteral("/Quarn/Lumarbo/")));
    EXPECT_TRUE(QDir(GetDataFolder()).exists());
}

TEST(FileInfo, VersionTexts)
{
    TFileInfo info(QStringLiteral("/nonexistent"));
    const TProjVersion& v = info.FileVersion();
    EXPECT_EQ(info.RegistryText(), QString::asprintf("%d.%.2d.%.4d.%.4d", v.vv, v.rr, v.mm, v.pp));
    EXPECT_EQ(info.StartPictureText(), QString::asprintf("V. %d.%d.%d ", v.vv, v.rr, v.mm));
    EXPECT_EQ(info.GetValue(QStringLiteral("ProductName")), QStringLiteral("Lumarbo"));
    EXPECT_EQ(info.GetValue(QStringLiteral("Comments")), QStringLiteral("Nicht gefunden"));
}

TEST(FileAssociation, WritesTheTypeOnceAndQuotesTheProgram)
{
    QTemporaryDir dir;
    const QString program = QStringLiteral("/opt/my \"apps\"/lumarbo");
    EXPECT_TRUE(RegisterFileAssociation(program, dir.path()));
    EXPECT_FALSE(RegisterFileAssociation(program, dir.path()));
    QFile entry(dir.filePath(QStringLiteral("applications/lumarbo.desktop")));
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    EXPECT_TRUE(entry.readAll().contains("Exec=\"/opt/my \\\"apps\\\"/lumarbo\" %f\n"));
    QFile mime(dir.filePath(QStringLiteral("mime/packages/lumarbo.xml")));
    ASSERT_TRUE(mime.open(QIODevice::ReadOnly));
    const QByteArray type = mime.readAll();
    EXPECT_TRUE(type.contains("<glob pattern=\"*.tpb\"/>"));
    EXPECT_TRUE(type.contains("value=\"VQ DataFile\""));
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("icons/hicolor/scalable/apps/lumarbo.svg"))));
    // A moved program is a change.
    EXPECT_TRUE(RegisterFileAssociation(QStringLiteral("/usr/bin/lumarbo"), dir.path()));
}
