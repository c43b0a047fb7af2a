#!/usr/bin/env python3
"""Writes pptconv.dat, the shipped stop list of the PowerPoint converter.

The list holds the prompts that PowerPoint and LibreOffice Impress put into the
placeholders of slide, title and notes masters, in the languages they ship most.
Such a prompt is one text of the master; the converter leaves out every text that
begins with a line of the list (compared byte for byte with the converted text,
before "<", ">" and apostrophes are escaped). So each prompt is written twice when
the two forms differ: as the shipped [Ppt] OutputCharSet, ASCII, gives it
(windows-1252, other characters as decimal "&#N;" references, which is also how an
8-bit text atom holds a Latin prompt), then in UTF-8 for hosts that set UTF8.

The list has no comments: every line of the file is an entry, and an empty line
would leave out every text. Run from the repository root:
    python3 scripts/make-stop-list.py
"""

PROMPTS = [
    # PowerPoint, English: Office 97 to 2003, then 2007 and later.
    "Click to edit Master title style",
    "Click to edit Master text styles",
    "Click to edit Master subtitle style",
    "Click to Edit Master Title Style",
    "Edit Master text styles",
    # LibreOffice Impress and StarOffice, English.
    "Click to edit the title text format",
    "Click to edit the outline text format",
    "Click to edit the notes format",
    # German.
    "Titelmasterformat durch Klicken bearbeiten",
    "Textmasterformate durch Klicken bearbeiten",
    "Formatvorlage des Untertitelmasters durch Klicken bearbeiten",
    "Mastertitelformat bearbeiten",
    "Mastertextformat bearbeiten",
    "Master-Untertitelformat bearbeiten",
    "Format des Titeltextes durch Klicken bearbeiten",
    "Format des Gliederungstextes durch Klicken bearbeiten",
    "Format der Notizen mittels Klicken bearbeiten",
    "Klicken Sie, um das Titelformat zu bearbeiten",
    "Klicken Sie, um die Formate des Vorlagentextes zu bearbeiten",
    # French.
    "Cliquez pour modifier le style du titre",
    "Cliquez pour modifier les styles du texte du masque",
    "Cliquez pour modifier le style des sous-titres du masque",
    "Modifiez le style du titre",
    "Modifiez les styles du texte du masque",
    "Modifiez le style des sous-titres du masque",
    "Cliquez pour éditer le format du texte-titre",
    "Cliquez pour éditer le format du plan de texte",
    "Cliquez pour modifier le format des notes",
    # Spanish.
    "Haga clic para modificar el estilo de título del patrón",
    "Haga clic para modificar el estilo de texto del patrón",
    "Haga clic para modificar el estilo de subtítulo del patrón",
    "Editar el estilo de texto del patrón",
    "Pulse para editar el formato del texto de título",
    "Pulse para editar el formato de texto del esquema",
    "Pulse para editar el formato de las notas",
    # Portuguese, Brazil and Portugal.
    "Clique para editar o estilo do título mestre",
    "Clique para editar os estilos do texto mestre",
    "Clique para editar o estilo do subtítulo mestre",
    "Clique para editar o título Mestre",
    "Clique para editar o texto Mestre",
    "Editar estilos de texto Mestre",
    "Clique para editar o estilo de título do Modelo Global",
    "Clique para editar os estilos de texto do Modelo Global",
    "Clique para editar o formato do título",
    "Clique para editar o formato do texto do título",
    "Clique para editar o formato de texto dos tópicos",
    "Clique para editar o formato das notas",
    "Clique para editar o formato de notas",
    # Italian.
    "Fare clic per modificare lo stile del titolo",
    "Fare clic per modificare stili del testo dello schema",
    "Fare clic per modificare gli stili del testo dello schema",
    "Fare clic per modificare lo stile del sottotitolo dello schema",
    "Modifica gli stili del testo dello schema",
    "Fai clic per modificare il formato del testo del titolo",
    "Fai clic per modificare il formato del testo della struttura",
    "Fai clic per modificare il formato delle note",
    # Dutch.
    "Klik om de stijl te bewerken",
    "Klik om de modelstijlen te bewerken",
    "Klik om het opmaakprofiel van de modelondertitel te bewerken",
    "Klik om stijl te bewerken",
    "Klik om de opmaak van de titeltekst te bewerken",
    "Klik om de opmaak van de overzichtstekst te bewerken",
    "Klik om het formaat van de notities te bewerken",
    # Russian.
    "Образец заголовка",
    "Образец текста",
    "Образец подзаголовка",
    "Для правки текста заглавия щёлкните мышью",
    "Для правки структуры щёлкните мышью",
    "Для правки формата примечаний щёлкните мышью",
    # Chinese, simplified and traditional.
    "单击此处编辑母版标题样式",
    "单击此处编辑母版文本样式",
    "单击此处编辑母版副标题样式",
    "编辑母版文本样式",
    "单击以编辑标题文本格式",
    "点击以编辑提纲文本格式",
    "点击编辑备注格式",
    "按一下以編輯母片標題樣式",
    "按一下以編輯母片文字樣式",
    "按一下以編輯母片副標題樣式",
    "編輯母片文字樣式",
    "請按這裡編輯題名文字格式",
    "請按這裡編輯大綱文字格式",
    "請按這裡編輯備註格式",
    # Japanese.
    "マスタ タイトルの書式設定",
    "マスタ テキストの書式設定",
    "マスタ サブタイトルの書式設定",
    "マスター タイトルの書式設定",
    "マスター テキストの書式設定",
    "マスター サブタイトルの書式設定",
    "クリックしてタイトルテキストを編集",
    "クリックしてアウトラインのテキストを編集",
    "クリックしてノートの書式を編集",
    # Korean.
    "마스터 제목 스타일 편집",
    "마스터 텍스트 스타일을 편집합니다",
    "마스터 텍스트 스타일 편집",
    "마스터 부제목 스타일 편집",
    "제목 텍스트의 서식을 편집하려면 클릭하십시오",
    "개요 텍스트의 서식을 편집하려면 클릭하십시오",
    "메모 서식을 편집하려면 클릭하십시오",
]


def ascii_form(text):
    """The bytes of text in lumen's ASCII output: windows-1252, else "&#N;"."""
    out = bytearray()
    for ch in text:
        try:
            out += ch.encode("cp1252")
        except UnicodeEncodeError:
            out += b"&#%d;" % ord(ch)
    return bytes(out)


def main():
    lines = []
    for prompt in PROMPTS:
        for form in (ascii_form(prompt), prompt.encode("utf-8")):
            if form and form not in lines:
                lines.append(form)
    with open("pptconv.dat", "wb") as out:
        out.write(b"".join(line + b"\n" for line in lines))


if __name__ == "__main__":
    main()
