# Co nowego w BrantelDesk X

## Wersja 1.0 (w przygotowaniu, grudzień 2026)

Pierwsze wydanie. Łączy wszystko, co powstało w trakcie prac:

- **Wydanie:** to okno; pomoc w podłączaniu kabla USB w systemie Linux (ścieżka urządzenia,
  grupa `dialout`, reguła udev nadająca kablowi stałą nazwę) oraz sprawdzenie portu szeregowego,
  które mówi, dlaczego nie można go otworzyć i jak to naprawić. Wszystkie teksty okien są w
  wybranym języku.
- **Szybsze rysowanie:** powiększenie (od 50 % do 200 %), ostatnie pliki, pełny ekran, panel
  odsyłaczy, porównanie dwóch programów (Plik / Porównaj z) i komentarze linii wpisywane w
  miejscu.
- **Drukowanie:** wydruk skrócony i szczegółowy, lista parametrów i komentarzy, z zakresem
  stron, podglądem, drukarkami i eksportem do PDF; teksty stopki wydruku.
- **Urządzenie:** zapis i odczyt programu, symulacja z urządzeniem, zegar urządzenia z czasem
  letnim, narzędzia i hasła urządzenia, aktualizacja oprogramowania i wyszukiwanie adresu, każde
  z przyciskiem Stop i jasnym komunikatem przy każdym błędzie. Ustawienia komunikacji wybierają
  port szeregowy, kabel USB lub Ethernet.
- **Symulacja na PC:** panel wejść i wyjść, monitor parametrów, wyświetlacz tekstowy z
  klawiszami, pauza, praca krokowa i skala czasu, wykres przebiegów eksportowany do VCD i CSV
  oraz okno symulatora urządzenia.
- **Bloki funkcyjne:** okno dla każdego rodzaju bloku: timery, liczniki i liczniki
  porównujące, zegary sterujące, liczniki godzin, bloki analogowe i skalowanie analogowe,
  komunikaty tekstowe.
- **Edycja:** edytor drabinkowy w trzech stylach wyświetlania, przybornik funkcji, schowek,
  cofanie i ponawianie, wyszukiwanie i komentarze, sprawdzanie programu z listą błędów.
- **Pliki:** programy wszystkich trzech generacji (`.h53`, `.m53`, `.t53`), pliki blokady,
  niepodzielny zapis.
- **Narzędzie wiersza poleceń** `branteldesk-cli`: sprawdzanie, konwersja, skrypty symulacji,
  druk, diff, xref i polecenia urządzenia; wirtualne urządzenie `branteldesk-device` do
  wypróbowania wszystkiego bez sprzętu.
- **Języki:** angielski, portugalski, polski i hiszpański.

## Wersje rozwojowe

- **8 grudnia 2026:** okna urządzenia, wydruki, porównanie programów, odsyłacze, powiększenie.
- **7 grudnia 2026:** okna bloków, ekrany symulacji, wykres przebiegów, symulator urządzenia.
- **6 grudnia 2026:** podstawy: model programu, pliki, sprawdzanie reguł, silnik cyklu, okno
  główne, ustawienia komunikacji i wirtualne urządzenie.
