#pragma once

// A main window with stopped timers whose message boxes and file dialogs are answered by the
// test, and typed access to its controls by object name.

#include "console/labeled_edit.h"
#include "console/spin_edit.h"
#include "console/ugredit.h"
#include "console/up_down.h"

#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

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
        for (QTimer *timer : form->findChildren<QTimer *>())
            timer->stop();
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

    std::unique_ptr<varmet::TForm1> form;
    QStringList messages;
    std::vector<varmet::TForm1::FileRequest> fileRequests;
    QString fileAnswer; // empty: the dialog is cancelled
};
