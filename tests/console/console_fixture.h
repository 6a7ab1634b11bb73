#pragma once

// A main window with stopped timers whose message boxes and file dialogs are answered by the
// test, and typed access to its controls by object name.

#include "console/main_window/ugredit.h"
#include "console/widget_kit/labeled_edit.h"
#include "console/widget_kit/spin_edit.h"
#include "console/widget_kit/up_down.h"
#include "tests/support/window_wait.h"

#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

// Failures show texts as text.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

constexpr auto Up = varmet::UpDown::Direction::Up;
constexpr auto Down = varmet::UpDown::Direction::Down;

class ConsoleTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        form = std::make_unique<varmet::TForm1>();
        form->showMessage = [this](const QString &message) { messages << message; };
        form->askFileName = [this](const varmet::TForm1::FileRequest &request) {
            fileRequests.push_back(request);
            return fileAnswer;
        };
        // Work that would be lost is not saved unless a test says so.
        form->askToSave = [this](const QString &question) {
            questions << question;
            return varmet::UnsavedChanges::Answer::Discard;
        };
        for (QTimer *each : form->findChildren<QTimer *>()) {
            if (each->isActive())
                runningAtStart << each->objectName();
            each->stop();
        }
    }

    template<class T = QWidget>
    T *get(const char *name) const
    {
        T *control = form->findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    varmet::LabeledEdit *edit(const char *name) const { return get<varmet::LabeledEdit>(name); }
    varmet::SpinEdit *spin(const char *name) const { return get<varmet::SpinEdit>(name); }
    varmet::UpDown *upDown(const char *name) const { return get<varmet::UpDown>(name); }
    QString text(const char *name) const { return edit(name)->text(); }
    QTimer *timer(const char *name) const { return get<QTimer>(name); }

    std::unique_ptr<varmet::TForm1> form;
    QStringList messages;
    QStringList questions; // "Сохранить изменения?" asked
    std::vector<varmet::TForm1::FileRequest> fileRequests;
    QString fileAnswer; // empty: the dialog is cancelled
    QStringList runningAtStart; // the timers that ran before the test stopped them
};
