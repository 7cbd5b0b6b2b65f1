#pragma once
#include <QString>
#include <QStringList>

// The one seam through which every notice, question and validation error is shown. The
// program state holds it (state().messages()): message boxes unless another implementation
// was installed with state().setMessages(); tests install a scripted one.
class Messages {
public:
    virtual ~Messages() = default;

    // A notice with only an OK button and the program's default title ("No Records!", "Done!").
    virtual void notice(const QString& text) = 0;
    // A question with Yes and No buttons; true for Yes.
    virtual bool question(const QString& text) = 0;
    // A notice with an explicit title (the validation message uses "Error").
    virtual void error(const QString& text, const QString& title) = 0;
    // A question answered with one of `buttons`: the index of the one chosen, or -1 when the
    // box was closed with Esc. Unless overridden it is question(): Yes picks the first button,
    // No the second.
    virtual int choice(const QString& text, const QStringList& buttons)
    {
        Q_UNUSED(buttons);
        return question(text) ? 0 : 1;
    }

    // The program state's seam; short for state().messages().
    static Messages& current();
};

// Shows real message boxes, parented to the active window.
class BoxMessages : public Messages {
public:
    void notice(const QString& text) override;
    bool question(const QString& text) override;
    void error(const QString& text, const QString& title) override;
    int choice(const QString& text, const QStringList& buttons) override;
};
