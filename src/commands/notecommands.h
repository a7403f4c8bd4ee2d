#pragma once
// Commands of the note menu that other parts of the program run too.

// "新建帖子": a new note, shown at the right edge of the screen.
void new_Click();
