#pragma once
#include <QString>

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

    // The program state's seam; short for state().messages().
    static Messages& current();
};

// Shows real message boxes, parented to the active window.
class BoxMessages : public Messages {
public:
    void notice(const QString& text) override;
    bool question(const QString& text) override;
    void error(const QString& text, const QString& title) override;
};
