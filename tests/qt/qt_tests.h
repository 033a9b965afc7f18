// The widget test suites, run one after the other by one executable on the offscreen platform.
#pragma once

int RunUiThreadTests(int argc, char** argv);
int RunMainWindowTests(int argc, char** argv);
int RunDialogTests(int argc, char** argv);
