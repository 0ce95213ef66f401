#include "platform/application.h"

#include <QByteArray>
#include <QtGlobal>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests happens without the suite's environment, so no display is needed then.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
    StartApplication(argc, argv, u"МКБ-10", "mkb10", {});
    return RUN_ALL_TESTS();
}
