@echo off
rem Registers VORTAN's automation server (ZEPH.VORTAN.Application.7) and the simulated
rem board's two component classes, for the programs in this folder. From an elevated prompt
rem the classes go under HKLM\Software\Classes (every user), otherwise under the current
rem user's HKCU\Software\Classes; each program says which. "register.cmd /u" removes them.
setlocal
set "here=%~dp0"
if /i "%~1"=="/u" goto unregister

"%here%vortan.exe" /RegServer
if errorlevel 1 goto failed
"%here%vortan-board.exe" register --plugin "%here%vortan-simboard.dll"
if errorlevel 1 goto failed
echo.
echo VORTAN is registered. A simulated board and a first round trip:
echo   "%here%vortan-board.exe" create DEMO
echo   cscript //nologo "%here%examples\round_trip.vbs" DEMO
exit /b 0

:unregister
"%here%vortan.exe" /UnregServer
if errorlevel 1 goto failed
"%here%vortan.exe" --unregister-plugin "%here%vortan-simboard.dll"
if errorlevel 1 goto failed
exit /b 0

:failed
echo register.cmd: registration failed, see above 1>&2
exit /b 1
