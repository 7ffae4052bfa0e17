// The questions and messages the window puts to the user. The program shows message boxes;
// tests answer through their own Prompter and read what was asked.
#pragma once

#include <string>

class QWidget;

namespace wexfold {

enum class PromptButtons { kOk, kYesNo };
enum class PromptIcon { kNone, kWarning, kInformation, kStop };
enum class PromptAnswer { kOk, kYes, kNo };

class Prompter {
  public:
    virtual ~Prompter() = default;
    // Texts are UTF-8. A box with OK only answers kOk.
    virtual PromptAnswer Ask(QWidget* owner, const std::string& caption, const std::string& text,
                             PromptButtons buttons, PromptIcon icon) = 0;
    // The desktop's file dialog for ".wxf" files starting in the current folder: an existing
    // file to open, or a file to save (asking before an existing one is replaced). Empty when
    // the user chose none.
    virtual std::string ChooseFile(QWidget* owner, bool save) = 0;
};

// Modal message boxes.
class MessageBoxPrompter final : public Prompter {
  public:
    PromptAnswer Ask(QWidget* owner, const std::string& caption, const std::string& text,
                     PromptButtons buttons, PromptIcon icon) override;
    std::string ChooseFile(QWidget* owner, bool save) override;
};

}  // namespace wexfold
