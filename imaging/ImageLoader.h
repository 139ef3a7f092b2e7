#pragma once

#include <QString>
#include <functional>

#include "skin/MessageIds.h"

class Prompter;
class WorkingList;

// The one way into the working list: checks that the list has room, that the file is an
// image of a supported format no larger than 10,000 pixels a side, copies it byte for byte
// into the private work folder, and appends an entry. Every refusal is told through the
// Prompter and leaves the list and the work folder as they were. GUI thread (or the batch
// run's only thread).
class ImageLoader {
public:
    ImageLoader(WorkingList& list, Prompter& prompter, QString workFolder);

    // 1 when the image entered the list, 0 when it was refused. originFlagA and originFlagB
    // are 1 for a slide from a presentation, 0 for an image file.
    int AddImage(const QString& path, int originFlagA, int originFlagB);

    const WorkingList& list() const { return list_; }

    // What the examination and the copy of one file found: the message to show (0 when the
    // image is accepted), the decoder's reason for a file it cannot read, the upright size and
    // the work copy.
    struct Examined {
        int message = msg::WrongImageFile;
        QString reason;
        int width = 0;
        int height = 0;
        QString workPath;
    };
    // How the examination and the copy run: inline by default; the window runs them on a
    // worker and keeps handling its events meanwhile, so a file held up by the disk does not
    // freeze it. The messages are shown afterwards, on the caller's thread.
    using Runner = std::function<Examined(const std::function<Examined()>& work)>;
    void SetRunner(Runner runner) { runner_ = std::move(runner); }

    // The examination alone, without the copy: what AddImage would say of the file (reading
    // only its header). Any thread.
    static Examined Examine(const QString& path);

private:
    Examined ExamineAndCopy(const QString& path);
    // The work copy in the work folder, "TMP" and a unique suffix; empty on failure, when
    // nothing is left behind.
    QString MakeWorkCopy(const QString& source);

    WorkingList& list_;
    Prompter& prompter_;
    QString workFolder_;
    Runner runner_;
};

// Tells that path is a wrong image file (message 121), with the decoder's reason when there is
// one.
void TellWrongImageFile(Prompter& prompter, const QString& path, const QString& reason);
