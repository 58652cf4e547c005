#pragma once

#include <string>

// How the core reaches the user: a message, a yes/no question, the duplicate "Question"
// dialog and the song data dialog. The desktop shell implements it with dialogs; tests
// use a scripted fake. Implementations may be called from any thread that holds a
// document lock, so they must not wait for another thread that may want that lock.
class IUserPrompt {
public:
    // Buttons of the duplicate question: "&Yes", "Yes to &all", "&No", "N&o to all",
    // "Cancel". kNone is the state of a bulk run before its first question.
    enum DuplicateAnswer : int { kNone = 0, kYes, kYesToAll, kNo, kNoToAll, kCancel };
    enum Answer : int { kAnswerYes = 0, kAnswerNo, kAnswerCancel };

    virtual ~IUserPrompt() = default;

    virtual void Message(const std::string& text) = 0;
    // A question with the buttons yes and no (and cancel with the flag).
    virtual Answer Question(const std::string& text, bool withCancel) = 0;
    // The dialog titled "Question" showing the record's title and the question text.
    virtual DuplicateAnswer DuplicateQuestion(const std::string& songTitle,
                                              const std::string& text) = 0;
    // "Manual song edit/addition": fields "&Title" and "&Location", filled on entry;
    // false when the user cancels.
    virtual bool SongData(std::string& title, std::string& location) = 0;
};
