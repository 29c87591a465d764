#include "templates/TemplateNotices.h"

#include "common/TemplateRule.h"
#include "ui/StoreErrorText.h"

namespace {

void ShowRefusal(const char* failureText, const TemplateResult& result, MessageBoxes& boxes)
{
    boxes.notice(failureText + (result.refusal ? StoreErrorText(*result.refusal) : std::string()),
                 NoticeType::Exclamation);
}

} // namespace

bool ConfirmTemplateDelete(MessageBoxes& boxes) { return boxes.question(Texts::kDeleteQuestion); }

void ShowTemplateResult(const TemplateResult& result, MessageBoxes& boxes)
{
    switch (result.outcome) {
    case TemplateOutcome::Added: boxes.plain(Texts::kTemplateAdded); break;
    case TemplateOutcome::Modified: boxes.plain(Texts::kTemplateModified); break;
    case TemplateOutcome::Deleted: boxes.plain(Texts::kTemplateDeleted); break;
    case TemplateOutcome::EmptyText: boxes.notice(Texts::kTemplateEmpty, NoticeType::Exclamation); break;
    case TemplateOutcome::Duplicate: boxes.notice(Texts::kTemplateExists, NoticeType::Exclamation); break;
    case TemplateOutcome::RefusedCharacter:
        // Such a character may not show in the memo at all: the line and the code point let
        // the user find it.
        boxes.notice("模板第 " + std::to_string(result.line) + " 行含有" + RefusedCharacterText(result.character) +
                         ",没有保存。\r它在编辑框中可能看不见:请删除这一行重新输入,然后再试。",
                     NoticeType::Exclamation);
        break;
    case TemplateOutcome::NothingToModify: boxes.notice(Texts::kNoTemplateToModify, NoticeType::Exclamation); break;
    case TemplateOutcome::NothingToDelete: boxes.notice(Texts::kNoTemplateToDelete, NoticeType::Exclamation); break;
    case TemplateOutcome::KeptOnRequest: break;
    case TemplateOutcome::AddRefused: ShowRefusal(Texts::kAddFailed, result, boxes); break;
    case TemplateOutcome::ModifyRefused: ShowRefusal(Texts::kModifyFailed, result, boxes); break;
    case TemplateOutcome::DeleteRefused: ShowRefusal(Texts::kDeleteFailed, result, boxes); break;
    }
    if (result.reloadFailure)
        std::rethrow_exception(result.reloadFailure);
}
