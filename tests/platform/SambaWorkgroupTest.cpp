#include "platform/SambaWorkgroup.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QTemporaryFile>

TEST(SambaWorkgroupTest, TheWorkgroupOfTheGlobalSectionElseWorkgroup)
{
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"[global]\n   workgroup = OFFICE\n   server string = %h\n", "OFFICE"},
        {"; comment\n[Global]\n\tWork_Group=office 2\n", "office 2"}, // names as Samba compares them
        {"[global]\n# workgroup = NOT\n;workgroup = NOT\n", "WORKGROUP"},
        {"[homes]\nworkgroup = NOT\n[global]\nnetbios name = X\n", "WORKGROUP"},
        {"[global]\nworkgroup = ONE\n[printers]\nworkgroup = NOT\n", "ONE"},
        {"[global]\nworkgroup =\n", "WORKGROUP"},
        {"", "WORKGROUP"},
    };
    for (const auto& [text, expected] : cases) {
        QTemporaryFile conf;
        ASSERT_TRUE(conf.open());
        conf.write(text);
        conf.close();
        EXPECT_EQ(MachineWorkgroup(conf.fileName()), QString::fromUtf8(expected)) << text;
    }
    EXPECT_EQ(MachineWorkgroup(QStringLiteral("/nonexistent/smb.conf")), QStringLiteral("WORKGROUP"));
}
