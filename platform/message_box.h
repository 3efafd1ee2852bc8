#pragma once

#include <QString>

namespace veltrin {

// The toolkit's message box, behind a seam so that no test waits on a modal dialog.
class MessageBox
{
public:
    enum Style : int {
        OkOnly = 0,
        Critical = 16,
        Exclamation = 48,
    };

    virtual ~MessageBox() = default;
    // Returns the button chosen (1 for OK).
    virtual int show(const QString &text, const QString &caption, int style) = 0;
};

class QtMessageBox final : public MessageBox
{
public:
    int show(const QString &text, const QString &caption, int style) override;
};

} // namespace veltrin
