<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ru">
<context>
    <name>qm::CategoryPage</name>
    <message>
        <source>Выбор категории шаблонов</source>
        <translation>Template categories</translation>
    </message>
    <message>
        <source>Выбор группы шаблонов для оформления интерфейса</source>
        <translation>Choose a group of templates for the look of the stamp</translation>
    </message>
    <message>
        <source>Для выбора цвета фона нужно отключить использование текстуры (снять галочку)</source>
        <translation>To choose a background colour, turn the texture off (clear the tick)</translation>
    </message>
    <message>
        <source>фон/текстура</source>
        <translation>colour/texture</translation>
    </message>
    <message>
        <source>Выбор фона: цвет или текстура прозрачности</source>
        <translation>Background: a colour, or the texture that shows transparency</translation>
    </message>
</context>
<context>
    <name>qm::ColourPage</name>
    <message>
        <source>Цвет: Выбор-левая, Переключение на Тень-правая, на Кайму-средняя кнопки мыши</source>
        <translation>Colour: left button chooses; right button switches to Shadow, middle button to Border</translation>
    </message>
    <message>
        <source>Подбор цвета атрибутов надписи</source>
        <translation>Colours of the stamp text</translation>
    </message>
    <message>
        <source>Текст</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>Тень</source>
        <translation>Shadow</translation>
    </message>
    <message>
        <source>Кайма</source>
        <translation>Border</translation>
    </message>
    <message>
        <source>В набор</source>
        <translation>Add to set</translation>
    </message>
    <message>
        <source>Устанавливает цвет в пользовательский набор, в отмеченную (активую) ячейку</source>
        <translation>Puts the colour into your own set, in the marked (active) cell</translation>
    </message>
    <message>
        <source>С экрана</source>
        <translation>From screen</translation>
    </message>
    <message>
        <source>Цвет в виде #RRGGBB (или RRGGBB, #RGB); Enter применяет</source>
        <translation>The colour as #RRGGBB (or RRGGBB, #RGB); Enter applies it</translation>
    </message>
    <message>
        <source>Взять цвет с экрана (Ctrl+Shift+C): щелчок по любой точке, Esc — отмена</source>
        <translation>Take a colour from the screen (Ctrl+Shift+C): click any point, Esc cancels</translation>
    </message>
    <message>
        <source>На этом рабочем столе цвет с экрана взять нельзя</source>
        <translation>This desktop lets no program take a colour from the screen</translation>
    </message>
</context>
<context>
    <name>qm::DefSizeLink</name>
    <message>
        <source>Размер по умолчанию</source>
        <translation>Default size</translation>
    </message>
</context>
<context>
    <name>qm::FrmOptions</name>
    <message>
        <source>Категория</source>
        <translation>Category</translation>
    </message>
    <message>
        <source>Текст</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>Цвет текста</source>
        <translation>Text colour</translation>
    </message>
    <message>
        <source>Подсказка</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>Цвет фигуры</source>
        <translation>Picture tone</translation>
    </message>
    <message>
        <source>Выбор интерфейса</source>
        <translation>Stamp look</translation>
    </message>
    <message>
        <source>Настройки</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>Загрузка...</source>
        <translation>Loading...</translation>
    </message>
    <message>
        <source>Error loading GDI+!</source>
        <translation>Error loading GDI+!</translation>
    </message>
    <message>
        <source>%1 — не сохранено: %2 (%3)</source>
        <translation>%1 — not saved: %2 (%3)</translation>
    </message>
</context>
<context>
    <name>qm::FrmProgress</name>
    <message>
        <source>Загрузка...</source>
        <translation>Loading...</translation>
    </message>
</context>
<context>
    <name>qm::Gallery</name>
    <message>
        <source>Нет файла!</source>
        <translation>No file!</translation>
    </message>
    <message>
        <source>Выбор шаблона отображения (%1)</source>
        <translation>Choose this template (%1)</translation>
    </message>
</context>
<context>
    <name>qm::GalleryArea</name>
    <message>
        <source>Подгружаю...</source>
        <translation>Loading...</translation>
    </message>
</context>
<context>
    <name>qm::HelpPage</name>
    <message>
        <source>Левая [кнопка мыши] устанавливает новый шаблон отображения (картинку, шрифт, параметры текста, тени и каймы). Правая [кнопка мыши] устанавливает ТОЛЬКО картинку из шаблона (остальные параметры подбираются отдельно).  Подбирая параметры отображения текста, меняется только отображение на экране, НЕ меняя сам шаблон. Чтобы сохранить выбранные параметры текста в любом из шаблонов, нужно кликнуть на соответствующем шаблоне с нажатой клавишей [Ctrl]. ВНИМАНИЕ: параметры шаблона будут переписаны без возможности восстановления первоначального состояния!<byte value="xd"/>
</source>
        <translation>The left [mouse button] applies a new display template (picture, font, text, shadow and border settings). The right [mouse button] applies ONLY the picture of the template (the other settings are chosen separately). Choosing the text settings changes only what the screen shows, NOT the template itself. To save the chosen text settings into any of the templates, click that template while holding [Ctrl]. WARNING: the settings of the template are overwritten, and the original ones cannot be restored!<byte value="xd"/>
</translation>
    </message>
    <message>
        <source>Клавиши (вне полей ввода): Ctrl+Z отменяет последнее изменение надписи (и перезапись шаблона, пока окно открыто), Ctrl+Y или Ctrl+Shift+Z возвращает его; Ctrl+C копирует строку параметров в буфер обмена, Ctrl+V применяет строку из буфера, как щелчок по шаблону. На странице цвета: поле #RRGGBB принимает цвет по Enter, Ctrl+Shift+C или кнопка «С экрана» берёт цвет любой точки экрана (Esc — отмена). Ctrl+Tab и Ctrl+Shift+Tab листают страницы.</source>
        <translation>Keys (outside the text boxes): Ctrl+Z undoes the last change of the look (and the overwrite of a template, while the window is open), Ctrl+Y or Ctrl+Shift+Z redoes it; Ctrl+C copies the parameter line to the clipboard, Ctrl+V applies a line from the clipboard as a click on a template does. On the colour page: the #RRGGBB box takes a colour with Enter, Ctrl+Shift+C or the “From screen” button takes the colour of any point of the screen (Esc cancels). Ctrl+Tab and Ctrl+Shift+Tab go through the pages.</translation>
    </message>
</context>
<context>
    <name>qm::LookActions</name>
    <message>
        <source>Отменить изменение (Ctrl+Z)</source>
        <translation>Undo the change (Ctrl+Z)</translation>
    </message>
    <message>
        <source>Вернуть изменение (Ctrl+Y, Ctrl+Shift+Z)</source>
        <translation>Redo the change (Ctrl+Y, Ctrl+Shift+Z)</translation>
    </message>
    <message>
        <source>Шаблон не удалось переписать</source>
        <translation>The template could not be rewritten</translation>
    </message>
    <message>
        <source>Параметры надписи скопированы в буфер обмена</source>
        <translation>The look was copied to the clipboard</translation>
    </message>
    <message>
        <source>Не вставлено: %1</source>
        <translation>Not pasted: %1</translation>
    </message>
    <message>
        <source>в буфере обмена нет текста</source>
        <translation>the clipboard holds no text</translation>
    </message>
    <message>
        <source>в буфере обмена несколько строк</source>
        <translation>the clipboard holds more than one line</translation>
    </message>
    <message>
        <source>это не строка параметров (полей %1 из %2)</source>
        <translation>this is no parameter line (%1 fields of %2)</translation>
    </message>
    <message>
        <source>поле %1 («%2») не подходит</source>
        <translation>field %1 (“%2”) does not fit</translation>
    </message>
    <message>
        <source>строка параметров не читается</source>
        <translation>the parameter line cannot be read</translation>
    </message>
</context>
<context>
    <name>qm::StampWindow</name>
    <message>
        <source>Настроить…</source>
        <translation>Settings…</translation>
    </message>
    <message>
        <source>Шрифт</source>
        <translation>Font</translation>
    </message>
    <message>
        <source>Выход</source>
        <translation>Quit</translation>
    </message>
    <message>
        <source>Поверх окон</source>
        <translation>Above windows</translation>
    </message>
    <message>
        <source>Под окнами</source>
        <translation>Below windows</translation>
    </message>
    <message>
        <source>Закрепить</source>
        <translation>Lock in place</translation>
    </message>
    <message>
        <source>Запускать при входе</source>
        <translation>Start at login</translation>
    </message>
</context>
<context>
    <name>qm::TextPage</name>
    <message>
        <source>Шрифт</source>
        <translation>Font</translation>
    </message>
    <message>
        <source>Выбор шрифта надписи</source>
        <translation>The font of the stamp text</translation>
    </message>
    <message>
        <source>Жирн.</source>
        <translation>Bold</translation>
    </message>
    <message>
        <source>Курсив</source>
        <translation>Italic</translation>
    </message>
    <message>
        <source>Подчёрк.</source>
        <translation>Underline</translation>
    </message>
    <message>
        <source>Текст</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>Размер</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>Размер шрифта надписи</source>
        <translation>The size of the stamp text</translation>
    </message>
    <message>
        <source>Установить</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>Установить выбранный размер шрифта, если цифра  размеры была введена вручную</source>
        <translation>Apply the font size when it was typed in by hand</translation>
    </message>
    <message>
        <source>Смещение текста</source>
        <translation>Text offset</translation>
    </message>
    <message>
        <source>Тень</source>
        <translation>Shadow</translation>
    </message>
    <message>
        <source>Смещение</source>
        <translation>Offset</translation>
    </message>
    <message>
        <source>Прозрачность</source>
        <translation>Transparency</translation>
    </message>
    <message>
        <source>Кайма</source>
        <translation>Border</translation>
    </message>
    <message>
        <source>Под Текст</source>
        <translation>Under text</translation>
    </message>
    <message>
        <source>Определяет отрисовку каймы под/поверх текста</source>
        <translation>Draws the border under the text or over it</translation>
    </message>
    <message>
        <source>Толщина</source>
        <translation>Width</translation>
    </message>
</context>
<context>
    <name>qm::TonePage</name>
    <message>
        <source>Оттенок</source>
        <translation>Hue</translation>
    </message>
    <message>
        <source>Насыщенность</source>
        <translation>Saturation</translation>
    </message>
    <message>
        <source>Величина</source>
        <translation>Value</translation>
    </message>
    <message>
        <source>Яркость</source>
        <translation>Brightness</translation>
    </message>
    <message>
        <source>Прозрачность</source>
        <translation>Transparency</translation>
    </message>
    <message>
        <source>Подбор цветового тона картинки</source>
        <translation>Colour tone of the picture</translation>
    </message>
    <message>
        <source>Установить неизменённые параметры</source>
        <translation>Apply the unchanged values</translation>
    </message>
    <message>
        <source>Устанавливает все неизменённые параметры цвета картинки</source>
        <translation>Applies every picture tone value that was not changed</translation>
    </message>
</context>
<context>
    <name>qm::gallery::Catalogue</name>
    <message numerus="yes">
        <source>%n заготов%1</source>
        <extracomment>The number of templates in a category; %1 is the ending of the Russian word.</extracomment>
        <translation>
            <numerusform>%n template</numerusform>
            <numerusform>%n templates</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>qm::host</name>
    <message>
        <source>Не удаётся открыть редактор: нет связи (%1).</source>
        <translation>Cannot open the editor: no link (%1).</translation>
    </message>
    <message>
        <source>Не удалось запустить %1: %2</source>
        <translation>Could not start %1: %2</translation>
    </message>
    <message>
        <source>Редактор закрылся, не отозвавшись: возможно, он уже открыт для другой программы.</source>
        <translation>The editor closed without answering: it may already be open for another program.</translation>
    </message>
    <message>
        <source>Вид из --line не годится; показан вид по умолчанию.</source>
        <translation>The look given with --line is not valid; showing the default look.</translation>
    </message>
    <message>
        <source>Выбранный вид в Quillmark.ini не годится; показан вид по умолчанию.</source>
        <translation>The selected look in Quillmark.ini is not valid; showing the default look.</translation>
    </message>
    <message>
        <source>Двойной щелчок открывает редактор.</source>
        <translation>Double-click to open the editor.</translation>
    </message>
    <message>
        <source>Шрифт «%1» не установлен</source>
        <translation>The font “%1” is not installed</translation>
    </message>
    <message>
        <source>Размер шрифта %1 не годится</source>
        <translation>The font size %1 cannot be used</translation>
    </message>
    <message>
        <source>Текст не нарисован</source>
        <translation>The text was not drawn</translation>
    </message>
    <message>
        <source>Не удаётся прочитать картинку «%1»</source>
        <translation>Cannot read the picture “%1”</translation>
    </message>
    <message>
        <source>; показан прежний вид.</source>
        <translation>; showing the last look.</translation>
    </message>
    <message>
        <source>; показан прежний текст.</source>
        <translation>; showing the last text.</translation>
    </message>
    <message>
        <source>Команда не завершилась за %1 с</source>
        <translation>The command did not finish within %1 s</translation>
    </message>
    <message>
        <source>Не удалось запустить /bin/sh: %1</source>
        <translation>Could not start /bin/sh: %1</translation>
    </message>
    <message>
        <source>Команда завершилась аварийно</source>
        <translation>The command crashed</translation>
    </message>
    <message>
        <source>Команда завершилась с кодом %1</source>
        <translation>The command ended with exit status %1</translation>
    </message>
    <message>
        <source>Команда вывела не текст</source>
        <translation>The command printed something that is not text</translation>
    </message>
    <message>
        <source>Команда ничего не вывела</source>
        <translation>The command printed nothing</translation>
    </message>
    <message>
        <source>Не удаётся прочитать файл %1: %2</source>
        <translation>Cannot read the file %1: %2</translation>
    </message>
    <message>
        <source>В файле %1 не текст</source>
        <translation>The file %1 does not hold text</translation>
    </message>
    <message>
        <source>В первой строке файла %1 нет текста</source>
        <translation>The first line of the file %1 holds no text</translation>
    </message>
    <message>
        <source>%1 не обычный файл</source>
        <translation>%1 is not a regular file</translation>
    </message>
    <message>
        <source>Файл %1 слишком велик</source>
        <translation>The file %1 is too large</translation>
    </message>
</context>
</TS>
