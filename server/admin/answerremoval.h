#ifndef ANSWERREMOVAL_H
#define ANSWERREMOVAL_H

#include "records.h"

#include <algorithm>

// Removes every answer matching `pred`; the others keep their order and the
// store gives back the memory it no longer needs. Returns how many went.
template<typename Pred> int removeAnswersIf(AnswerStore &answers, Pred pred)
{
    const int before = answers.size();
    answers.erase(std::remove_if(answers.begin(), answers.end(), pred), answers.end());
    answers.squeeze();
    return before - answers.size();
}

#endif // ANSWERREMOVAL_H
