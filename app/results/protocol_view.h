#pragma once

#include <QTextEdit>
#include <ctime>
#include <string>
#include <vector>

#include "app/results/rtf_writer.h"
#include "app/widgets/form_view_ex.h"

class QPrinter;
class QTextDocument;
struct ProtocolRecord;

// The read-only text of the protocol. Control+A selects everything and
// Control+C copies the selection, as in an editable text.
class CProtocolEdit : public QTextEdit {
  public:
    explicit CProtocolEdit(QWidget* parent = nullptr);

  protected:
    void keyReleaseEvent(QKeyEvent* event) override;
};

// The protocol of power analyses: a log of every successful analysis of the
// run, one numbered and time-stamped entry each, which the user can clear,
// print and save as rich text.
class CProtocolView : public CFormViewEx {
  public:
    static constexpr int kTextArea = 1046;
    static constexpr int kClearButton = 1045;
    static constexpr int kPrintButton = 1010;
    static constexpr int kSaveButton = 1011;
    static constexpr int kEditId = 1134;
    // Tab stops of the text, in twips: 2, 7, 7.5 and 12 cm.
    static constexpr int kTabStops[] = {1134, 3969, 4252, 6804};
    // The margins of a printed page, in twips (25 mm).
    static constexpr int kPrintMargin = 1417;

    // The form's table (dialog 151).
    static platform::DialogTemplate Dialog();

    CProtocolView();
    ~CProtocolView() override;

    // Creates the text control over the text area.
    void OnInitialUpdate() override;

    // Appends `text` (8-bit, math markup shown as Unicode) at the end with
    // the given effects (ProtocolPiece::kBold, kItalic) and colour (0x00BBGGRR).
    void AppendEntry(const std::string& text, int effects, unsigned colour);
    // Writes `record` as the next numbered entry, stamped with `when` (local
    // time), and scrolls the text so that the entry starts at the top.
    void AddRecord(const ProtocolRecord& record, const std::tm& when);
    // The same, stamped with the current local time.
    void AddRecord(const ProtocolRecord& record);

    // Empties the protocol after the user confirms; the numbering restarts.
    void OnClear();
    // Prints through the print dialog.
    void OnPrint();
    // Saves as rich text under a name that the user chooses.
    void OnSave();

    // Prints the whole text, or the selection when the printer's range says
    // so, within 25 mm margins; returns the number of pages printed.
    int PrintTo(QPrinter* printer) const;
    // The whole text as a rich text document.
    std::string ToRtf() const;

    CProtocolEdit* Edit() const { return edit_; }
    int EntryCount() const { return entries_; }
    bool IsEmpty() const;

  protected:
    void OnControlEvent(int id, platform::ControlEvent event) override;

  private:
    void ApplyParagraphFormat();
    std::vector<rtf::Run> Runs() const;

    int entries_ = 0;
    CProtocolEdit* edit_ = nullptr;
};
