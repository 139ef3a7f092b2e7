#pragma once

#include <atomic>

#include <gtest/gtest.h>
#include <QDir>
#include <QTemporaryDir>

#include "card/ConvertRun.h"
#include "core/WorkingList.h"
#include "imaging/ImageLoader.h"
#include "skin/MessageTexts.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestImages.h"

// The working list, the settings and a card folder in a temporary folder of its own, as the
// window hands them to a convert run; the messages in English.
class CardRunFixture : public ::testing::Test {
protected:
    CardRunFixture() {
        Messages::SetLanguage(Messages::Language::English);
        settings.destination = card;
    }

    // The bytes as a file of the given name, imported with both origin flags as given; its path.
    QString Add(const QByteArray& bytes, const QString& name, int origin = 0) {
        const QString path = temp.filePath(name);
        testimages::WriteBytes(path, bytes);
        EXPECT_EQ(ImageLoader(list, prompter, temp.filePath("work")).AddImage(path, origin, origin),
                  1)
            << name.toStdString();
        return path;
    }

    ConvertRun Run() { return ConvertRun(list, settings, prompter, unsaved, lastDestination); }

    QTemporaryDir temp;
    WorkingList list;
    ScriptedPrompter prompter;
    ConvertSettings settings;
    QString card = temp.filePath("card/DCIM/100RODIV");
    bool unsaved = true;
    QString lastDestination;
    std::atomic<bool> stop{false};
};
